// Second base of every form: per-language fonts for registered widgets, and the
// re-translation hooks run on every language change.
#ifndef VORLA_FORM_BASE_C_H
#define VORLA_FORM_BASE_C_H

#include "module/host_interfaces.h"

#include <QList>
#include <QMap>
#include <QString>

class QWidget;

// A copy of text whose characters are on the heap, for texts handed to Qt's
// process-wide state, which may outlive the module.
QString lasting_text(const QString &text);

// One widget's font for one language. The widget is a child of the form and
// lives as long as the form; the entry does not own it.
struct font_entry
{
    quint8 bold = 0;
    quint8 italic = 0; // used directly as the QFont style: 0 normal, 1 italic
    qint32 pixel_size = 0;
    qint32 letter_spacing = 0; // absolute, in pixels
    QString family;
    QWidget *widget = nullptr;
};

// The product's font families; set_font swaps them for languages 1 and 2.
namespace font_family {
inline const QLatin1String heavy("EurostileHea");
inline const QLatin1String black("EurostileBla");
inline const QLatin1String condensed_heavy("EurostileConHea");
inline const QLatin1String medium("EurostileMed");
} // namespace font_family

class form_base_c : public listener_i, public language_listener_i
{
public:
    form_base_c();
    // A copy would leave a registry it never joined.
    form_base_c(const form_base_c &) = delete;
    form_base_c &operator=(const form_base_c &) = delete;

    void *query_interface(const interface_id_t *id) override;
    void release() override;
    void listener_notify(int) override {}
    void listener_refresh() override {}
    // Set the form's visible texts from the host's text provider.
    virtual void retranslate_texts() {}
    // Runs after texts, fonts and tooltips of a language change are applied.
    virtual void after_language_applied() {}
    virtual ~form_base_c();
    void language_changed(language_service_i *service, int) override;

    // Registers the widget's font for every language: the family differs only
    // for languages 1 and 2, which need fonts with their scripts.
    void set_font(QWidget *widget, const QString &family, int pixel_size, int letter_spacing = 0,
                  bool bold = false, bool italic = false);
    void add_font_entry(int language, const QString &family, int pixel_size, QWidget *widget,
                        int letter_spacing, bool bold, bool italic);
    // Registers with the host's listener registry and applies the current
    // language once; null forgets the registry. Call at the end of the form's
    // constructor, after its set_font calls.
    void attach(ctrl_center_i *ctrl_center);
    void apply_language(int language);

    QList<font_entry> font_entries(int language) const { return fonts.value(language); }

private:
    listener_registry_i *registry = nullptr;
    QMap<int, QList<font_entry>> fonts;
};

// Puts a form into its parent's grid layout at row 0, column 0, creating a
// grid without spacing and margins when the parent has no layout. A form that
// is already there is not added twice.
void join_parent_grid(QWidget *form, QWidget *parent);

#endif
