// Host component 0x1E01: asks the user, in a modal box near the widget that
// asked, whether both quick-launch lists may be emptied, and tells the client.
#ifndef VORLA_HOST_RESET_POPUP_C_H
#define VORLA_HOST_RESET_POPUP_C_H

#include "module/host_interfaces.h"

#include <QDialog>
#include <QPointer>

class reset_popup_c final : public reset_popup_i
{
public:
    reset_popup_c() = default;
    // Closes a box still open: the answer then goes nowhere.
    ~reset_popup_c();

    // interface_i
    void *query_interface(const interface_id_t *id) override;
    void release() override;
    // reset_popup_i. Answers 1 for Reset, 0 for Cancel, Escape or closing the box,
    // once, after the box has gone. No client, no box. When the box dies with its
    // window, or this component is released while it runs, nobody is answered: the
    // asker usually went the same way.
    void ask_reset(QWidget *anchor, reset_to_default_fm_client_i *client) override;

private:
    QPointer<QDialog> open_box;
};

#endif
