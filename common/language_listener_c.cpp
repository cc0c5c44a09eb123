#include "common/language_listener_c.h"

#include "common/clog.h"
#include "common/global_func_c.h"

#include <QCoreApplication>
#include <QFile>
#include <QProcess>

language_listener_c::language_listener_c() = default;

// Destroying the translator also removes it from the application.
language_listener_c::~language_listener_c() = default;

void *language_listener_c::query_interface(const interface_id_t *id)
{
    if (same_interface_id(id, iid_interface_i) || same_interface_id(id, iid_listener_i))
        return static_cast<listener_i *>(this);
    if (same_interface_id(id, iid_language_listener_i))
        return static_cast<language_listener_i *>(this);
    return nullptr;
}

void language_listener_c::release()
{
    delete this;
}

void language_listener_c::language_changed(language_service_i *, int)
{
    reload_translation();
}

void language_listener_c::attach(ctrl_center_i *ctrl_center)
{
    if (ctrl_center == nullptr)
        return;
    if (auto *found =
            static_cast<language_service_i *>(ctrl_center->query_interface(&iid_language_service_i)))
        service = found;
    if (auto *registry =
            static_cast<listener_registry_i *>(ctrl_center->query_interface(&iid_listener_registry_i)))
        registry->add_listener(static_cast<listener_i *>(this));
}

void language_listener_c::detach(ctrl_center_i *ctrl_center)
{
    if (ctrl_center == nullptr)
        return;
    if (ctrl_center->query_interface(&iid_language_service_i) == service)
        service = nullptr;
    if (auto *registry =
            static_cast<listener_registry_i *>(ctrl_center->query_interface(&iid_listener_registry_i)))
        registry->remove_listener(static_cast<listener_i *>(this));
}

void language_listener_c::set_translation_file(int language, const QString &qm_path)
{
    files.insert(language, qm_path);
}

void language_listener_c::reload_translation()
{
    if (service == nullptr)
        return;
    const auto found = files.constFind(service->get_language());
    if (found == files.constEnd())
        return;
    compile_translation_source(*found);
    // Exactly this file: null delimiters and suffix would make QTranslator try
    // "<path>.qm" first and then shortened names, picking up some other file.
    // A file that does not load leaves the translator empty: source texts show.
    translator.load(*found, QString(), QStringLiteral(""), QStringLiteral(""));
    QCoreApplication::installTranslator(&translator);
}

void language_listener_c::compile_translation_source(const QString &qm_path)
{
    QString source = qm_path;
    source.replace(QStringLiteral(".qm"), QStringLiteral(".ts"), Qt::CaseSensitive);
    if (QFile::exists(source)) {
        const QString compiler =
            global_func_c::shared()->application_directory() + QStringLiteral("lrelease.exe");
        if (!QFile::exists(compiler)) {
            write_log(compiler + QStringLiteral(" not exist"), true);
        } else {
            QProcess process;
            process.start(compiler, {source});
            process.waitForFinished(30000); // 30 seconds; the exit status is not examined
            const QString errors = QString::fromLocal8Bit(process.readAllStandardError());
            if (!errors.isEmpty())
                write_log(errors, true);
        }
    }
    if (!QFile::exists(qm_path))
        write_log(qm_path + QStringLiteral(" not exist"), true);
}
