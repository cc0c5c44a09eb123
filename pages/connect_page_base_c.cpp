#include "pages/connect_page_base_c.h"

#include "module/module_host.h"

#include <QFontMetrics>
#include <QPushButton>

namespace {
constexpr int tab_height = 34; // pixels
// Width the tab picture needs beyond its text.
constexpr int tab_text_padding = 48;

QString tab_picture(const char *name)
{
    return QStringLiteral("border-image: url(://graphics/page_tab/%1.png);").arg(QLatin1String(name));
}
} // namespace

connect_page_base_c::connect_page_base_c(product_kernel_i *owner) : kernel(owner)
{
    // The kernel offers no registry today; asking keeps pages working with one
    // that does.
    if (listener_registry_i *registry = registry_of(kernel))
        registry->add_listener(static_cast<listener_i *>(this));
    if (listener_registry_i *registry = registry_of(module_ctrl_center()))
        registry->add_listener(static_cast<listener_i *>(this));
}

connect_page_base_c::~connect_page_base_c()
{
    if (listener_registry_i *registry = registry_of(kernel))
        registry->remove_listener(static_cast<listener_i *>(this));
    if (listener_registry_i *registry = registry_of(module_ctrl_center()))
        registry->remove_listener(static_cast<listener_i *>(this));
}

listener_registry_i *connect_page_base_c::registry_of(interface_i *object)
{
    if (object == nullptr)
        return nullptr;
    return static_cast<listener_registry_i *>(object->query_interface(&iid_listener_registry_i));
}

void *connect_page_base_c::query_interface(const interface_id_t *id)
{
    if (same_interface_id(id, iid_interface_i) || same_interface_id(id, iid_listener_i))
        return static_cast<listener_i *>(this);
    if (same_interface_id(id, iid_language_listener_i))
        return static_cast<language_listener_i *>(this);
    if (same_interface_id(id, iid_ctrl_center_listener_i))
        return static_cast<ctrl_center_listener_i *>(this);
    if (same_interface_id(id, iid_product_kernel_listener_i))
        return static_cast<product_kernel_listener_i *>(this);
    return nullptr;
}

void connect_page_base_c::release()
{
    delete this;
}

void connect_page_base_c::language_changed(language_service_i *, int)
{
    resize_tab_button();
}

void connect_page_base_c::active_kernel_changed(int)
{
    kernel_client_i *client = kernel != nullptr ? kernel->get_client() : nullptr;
    product_kernel_i *active = client != nullptr ? client->get_active_kernel() : nullptr;
    if (active != nullptr && same_object(active, kernel))
        return;
    // The host has dropped this product's buttons; the old one is not ours to touch.
    button = nullptr;
}

void connect_page_base_c::kernel_notify()
{
    listener_refresh();
}

QPushButton *connect_page_base_c::build_tab_button(const QString &text)
{
    const QString style =
        QStringLiteral("        QPushButton{color: #505050; %1}        QPushButton:hover{color: #8a8a8a; %2}"
                       "        QPushButton:checked{color: #bcbcbc; %3}        QPushButton:unchecked{color: "
                       "#505050; %4}    ")
            .arg(tab_picture("tab_normal"), tab_picture("tab_hover"), tab_picture("tab_down"),
                 tab_picture("tab_normal"));
    auto *new_button = new QPushButton;
    new_button->setFixedHeight(tab_height);
    new_button->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Expanding);
    new_button->setStyleSheet(style);
    new_button->setCheckable(true);
    new_button->setText(text);
    button = new_button;
    return new_button;
}

void connect_page_base_c::resize_tab_button()
{
    if (button == nullptr || button->text().isEmpty())
        return;
    button->setFixedWidth(QFontMetrics(button->font()).horizontalAdvance(button->text()) + tab_text_padding);
}
