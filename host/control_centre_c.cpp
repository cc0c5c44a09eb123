#include "control_centre_c.h"

#include "ctrl_center_c.h"
#include "text_provider_c.h"

#include <QFileInfo>
#include <QLibrary>

namespace {
using init_module_t = void (*)(module_host_i *);
using exit_module_t = void (*)();
} // namespace

control_centre_c::control_centre_c(QObject *parent)
    : QObject(parent), m_texts(std::make_unique<text_provider_c>()),
      m_ctrl_center(std::make_unique<ctrl_center_c>(*this))
{
    m_texts->set_language(m_language);
}

control_centre_c::~control_centre_c()
{
    unload_module();
}

bool control_centre_c::load_module(const QString &file_path, QString *error)
{
    const auto fail = [&](const QString &reason) {
        note(QStringLiteral("Module not loaded: ") + reason);
        if (error != nullptr)
            *error = reason;
        return false;
    };
    if (module_loaded())
        return fail(QStringLiteral("%1 is already loaded").arg(module_path()));

    const QFileInfo file(file_path);
    // QLibrary would try decorated names too and report the last of them.
    if (!file.isFile())
        return fail(QStringLiteral("no such file: ") + file_path);
    auto library = std::make_unique<QLibrary>(file.absoluteFilePath());
    if (!library->load())
        return fail(library->errorString());
    const auto init = reinterpret_cast<init_module_t>(library->resolve("init_module"));
    const auto exit = reinterpret_cast<exit_module_t>(library->resolve("exit_module"));
    if (init == nullptr || exit == nullptr) {
        const QString reason =
            QStringLiteral("%1 does not export init_module and exit_module").arg(file_path);
        library->unload();
        return fail(reason);
    }
    m_library = std::move(library);
    m_exit_module = exit;
    note(QStringLiteral("Module loaded: ") + m_library->fileName());
    init(host_face());
    return true;
}

void control_centre_c::unload_module()
{
    if (!module_loaded())
        return;
    const exit_module_t exit = m_exit_module;
    m_exit_module = nullptr;
    exit();

    // Whatever the module still has registered points into code that is about to go.
    if (!m_factories.isEmpty()) {
        note(QStringLiteral("Dropping %1 kernel factories the module left registered")
                 .arg(m_factories.size()));
        m_factories.clear();
    }
    if (const int left = m_ctrl_center->forget_listeners(); left > 0)
        note(QStringLiteral("Dropping %1 listeners the module left registered").arg(left));

    const QString path = m_library->fileName();
    if (!m_library->unload())
        note(QStringLiteral("Module stays mapped: ") + m_library->errorString());
    m_library.reset();
    note(QStringLiteral("Module unloaded: ") + path);
}

QString control_centre_c::module_path() const
{
    return m_library ? m_library->fileName() : QString();
}

ctrl_center_i *control_centre_c::ctrl_center()
{
    return m_ctrl_center->center_face();
}

text_provider_i *control_centre_c::text_provider()
{
    return m_texts.get();
}

product_kernel_i *control_centre_c::create_kernel(int product_id)
{
    const kernel_factory_t make = factory(product_id);
    return make != nullptr ? make() : nullptr;
}

void control_centre_c::set_language(int id)
{
    m_language = id;
    m_texts->set_language(id);
    note(QStringLiteral("Language %1 (%2)").arg(id).arg(m_texts->languages().value(id, QStringLiteral("?"))));
    emit language_changed(id);
    m_ctrl_center->notify_language_changed();
}

QMap<int, QString> control_centre_c::languages() const
{
    return m_texts->languages();
}

QList<listener_i *> control_centre_c::listeners() const
{
    return m_ctrl_center->listeners();
}

void control_centre_c::log_call(const QString &line)
{
    m_calls.append(line);
    emit call_logged(line);
}

void *control_centre_c::query_interface(const interface_id_t *id)
{
    if (same_interface_id(id, iid_interface_i))
        return static_cast<interface_i *>(host_face());
    return nullptr;
}

ctrl_center_i *control_centre_c::get_ctrl_center()
{
    log_call(QStringLiteral("get_ctrl_center"));
    return ctrl_center();
}

void control_centre_c::register_kernel_factory(kernel_factory_t factory, int product_id)
{
    log_call(QStringLiteral("register_kernel_factory(%1)").arg(product_id));
    if (factory != nullptr)
        m_factories.insert(product_id, factory);
}

void control_centre_c::unregister_kernel_factory(int product_id)
{
    log_call(QStringLiteral("unregister_kernel_factory(%1)").arg(product_id));
    m_factories.remove(product_id);
}

void *control_centre_c::create_component(int kind, const interface_id_t *id)
{
    Q_UNUSED(id)
    const QString hex = QString::number(kind, 16).toUpper().rightJustified(4, QLatin1Char('0'));
    log_call(QStringLiteral("create_component(0x%1)").arg(hex));
    return nullptr;
}

void control_centre_c::note(const QString &line)
{
    emit note_logged(line);
}
