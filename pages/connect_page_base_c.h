// Common base of the module's function pages: ties a page to its kernel,
// registers it with the host's listeners and builds its tab button.
#ifndef VORLA_CONNECT_PAGE_BASE_C_H
#define VORLA_CONNECT_PAGE_BASE_C_H

#include "module/host_interfaces.h"

#include <QPointer>
#include <QPushButton>
#include <QString>

class connect_page_base_c : public listener_i,
                            public language_listener_i,
                            public ctrl_center_listener_i,
                            public product_kernel_listener_i
{
public:
    explicit connect_page_base_c(product_kernel_i *kernel);

    /*  0 */ void *query_interface(const interface_id_t *id) override;
    /*  1 */ void release() override;
    /*  2 */ void listener_notify(int) override {}
    /*  3 */ void listener_refresh() override {}
    /* 4, 5 */ virtual ~connect_page_base_c();
    /*  6 */ void language_changed(language_service_i *service, int) override;
    /*  7 */ void ctrl_center_notify(int) override {}
    /*  8 */ void active_kernel_changed(int) override;
    /*  9 */ void ctrl_center_notify_more(int) override {}
    /* 10 */ void kernel_notify() override;
    /* 11 */ void kernel_notify_more() override {}
    /* 12 */ void kernel_notify_last() override {}

    product_kernel_i *get_kernel() const { return kernel; }
    QPushButton *tab_button() const { return button; }

    // A new checkable tab button; the host owns it. The page remembers the last
    // one it built until the host drops this product's buttons.
    QPushButton *build_tab_button(const QString &text);

protected:
    // Fixes the tab button's width to its text plus room for the tab picture.
    void resize_tab_button();

private:
    static listener_registry_i *registry_of(interface_i *object);

    product_kernel_i *kernel = nullptr;
    // The host owns the button and may delete it with its tab bar.
    QPointer<QPushButton> button;
};

#endif
