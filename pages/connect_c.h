// The phone connection page.
#ifndef VORLA_CONNECT_C_H
#define VORLA_CONNECT_C_H

#include "pages/function_page_c.h"

class connect_c final : public function_page_c
{
public:
    // The number under which the host and the kernel ask for this page.
    static constexpr int page_id = 8;

    explicit connect_c(product_kernel_i *kernel);
    ~connect_c() override;

    // Has the shown form read the paired-client store again.
    void refresh_phone_list();
    // Adds a row for a pairing decision to the shown form.
    void add_client_row(const QString &client_id, bool paired);

protected:
    QWidget *create_form(QWidget *container) override;
};

#endif
