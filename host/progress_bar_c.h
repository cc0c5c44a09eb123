// Host component 0x3601: a thin progress bar for the module's dialogs. A dark
// rounded track, an accent fill and the host's animation frames riding on the
// fill's end while the value lies strictly between 0 and the maximum.
#ifndef VORLA_HOST_PROGRESS_BAR_C_H
#define VORLA_HOST_PROGRESS_BAR_C_H

#include "module/module_interfaces.h"

#include <QPointer>

class progress_bar_widget_c;

class progress_bar_c final : public progress_i
{
public:
    progress_bar_c() = default;
    // Deletes the bar widget, as the module's own bar goes with release() too,
    // unless its parent has deleted it already.
    ~progress_bar_c();

    // interface_i
    void *query_interface(const interface_id_t *id) override;
    void release() override;
    // progress_i. Values above the maximum count as the maximum; a lowered
    // maximum keeps the value. The numbers stay with the component, so a bar
    // whose parent died comes back with them from widget().
    void set_maximum(quint64 maximum) override;
    void set_value(quint64 value) override;
    // Style sheet of the fill; an empty one brings back the host's accent.
    void set_bar_style(const QString &style_sheet) override;
    // Frames play in list order, one per 100 ms.
    void set_animation_frames(const QStringList &paths) override;
    quint64 maximum() override { return bar_maximum; }
    quint64 value() override { return bar_value; }
    // The truncated percentage, "0%" for an empty range: the same text the
    // module's own bar shows.
    QString percent_text() override;
    // The bar, made on first use and kept by the component; a parent may
    // delete it earlier, and the next call makes a new one.
    QWidget *widget() override;

    static QStringList default_frames();

private:
    void show_state();

    quint64 bar_maximum = 100;
    quint64 bar_value = 0;
    QString bar_style;
    QStringList frames = default_frames();
    QPointer<progress_bar_widget_c> bar;
};

#endif
