// What the two function pages share beyond the base: the container, the form
// shown in it while the page is open, and the tab button's text id.
#ifndef VORLA_FUNCTION_PAGE_C_H
#define VORLA_FUNCTION_PAGE_C_H

#include "pages/connect_page_base_c.h"

#include <QWidget>

#include <memory>

class function_page_c : public connect_page_base_c, public product_function_page_i
{
public:
    function_page_c(product_kernel_i *kernel, int page_id, int tab_text_id);

    /*  0 */ void *query_interface(const interface_id_t *id) override;
    /*  1 */ void release() override;
    ~function_page_c() override;
    /*  6 */ void language_changed(language_service_i *service, int) override;

    /* 13 */ void initialise() override {}
    /* 14 */ int get_page_id() override { return page_id; }
    /* 15 */ int reserved_page_4(int) override { return 0; }
    /* 16 */ void set_container(QWidget *container) override;
    /* 17 */ void reserved_page_6() override {}
    /* 18 */ void reserved_page_7(int, int) override {}
    /* 19 */ void reserved_page_8(int) override {}
    /* 20 */ QPushButton *create_tab_button() override;
    /* 21 */ void show() override;
    /* 22 */ void hide() override;

    QWidget *get_container() const { return container; }
    QWidget *get_form() const { return form.get(); }

protected:
    // Builds the page's form in the container; the page owns it until hide().
    virtual QWidget *create_form(QWidget *container) = 0;
    // Closes, unparents and deletes the form, if there is one.
    void destroy_form();

private:
    const int page_id;
    const int tab_text_id;
    QWidget *container = nullptr;
    // Also the container's child while it shows; the page ends it first.
    std::unique_ptr<QWidget> form;
};

#endif
