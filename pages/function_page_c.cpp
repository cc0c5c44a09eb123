#include "pages/function_page_c.h"

#include "module/module_host.h"

#include <QPushButton>
#include <QWidget>

function_page_c::function_page_c(product_kernel_i *kernel, int id, int text_id)
    : connect_page_base_c(kernel), page_id(id), tab_text_id(text_id)
{}

function_page_c::~function_page_c()
{
    // Derived pages destroy their form first, while they are still whole.
    Q_ASSERT(form == nullptr);
}

void *function_page_c::query_interface(const interface_id_t *id)
{
    if (same_interface_id(id, iid_interface_i))
        return static_cast<listener_i *>(this);
    if (same_interface_id(id, iid_product_function_page_i))
        return static_cast<product_function_page_i *>(this);
    return connect_page_base_c::query_interface(id);
}

void function_page_c::release()
{
    connect_page_base_c::release();
}

void function_page_c::language_changed(language_service_i *service, int language)
{
    if (QPushButton *button = tab_button())
        button->setText(host_text(tab_text_id));
    connect_page_base_c::language_changed(service, language);
}

void function_page_c::set_container(QWidget *new_container)
{
    if (new_container != nullptr)
        container = new_container;
}

QPushButton *function_page_c::create_tab_button()
{
    const QString text = host_text(tab_text_id);
    QPushButton *button = build_tab_button(text);
    button->setText(text);
    return button;
}

void function_page_c::show()
{
    if (form == nullptr)
        form.reset(create_form(container));
    if (form != nullptr) {
        form->show();
        form->raise();
    }
    if (QPushButton *button = tab_button())
        button->setChecked(true);
}

void function_page_c::hide()
{
    if (form == nullptr)
        return;
    destroy_form();
    if (QPushButton *button = tab_button())
        button->setChecked(false);
}

void function_page_c::destroy_form()
{
    if (form == nullptr)
        return;
    form->close();
    form->setParent(nullptr);
    form.reset();
}
