// Host component 0x1601: a small round "i" that explains the control next to it.
// Hovering shows the title and text as a tool tip; a click shows them too.
#ifndef VORLA_HOST_INFO_BADGE_C_H
#define VORLA_HOST_INFO_BADGE_C_H

#include "module/host_interfaces.h"

#include <QAbstractButton>
#include <QPointer>

class info_badge_c final : public info_badge_i
{
public:
    info_badge_c() = default;
    // Deletes the badge widget unless its holder has done so already.
    ~info_badge_c();

    // interface_i
    void *query_interface(const interface_id_t *id) override;
    void release() override;
    // info_badge_i. The badge lives in the holder, which owns it from then on; the
    // holder's layout takes it, or a margin-less one is made. Placing it again moves
    // it; a null holder takes it out of view. Title and text stay with the
    // component, so a badge whose holder died comes back with them when placed again.
    void place_in(QWidget *holder) override;
    void set_title(const QString &title) override;
    void set_text(const QString &text) override;

    // The badge widget, or null while it is not placed or its holder took it along.
    QAbstractButton *badge() const { return button; }

private:
    void describe_badge();

    QString tip_title;
    QString tip_text;
    QPointer<QAbstractButton> button;
};

#endif
