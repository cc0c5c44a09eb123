#include "common/form_base_c.h"

#include <QAbstractButton>
#include <QFont>
#include <QGridLayout>
#include <QLabel>

namespace {
// The two Chinese languages need families with their scripts.
const int simplified_chinese = 1;
const int traditional_chinese = 2;
const QString simplified_chinese_family = lasting_text(QStringLiteral("WenQuanYi Micro Hei"));
const QString traditional_chinese_family = lasting_text(QStringLiteral("MVK Driver ZongYiEurostile W7"));
} // namespace

QString lasting_text(const QString &text)
{
    // Copying a QStringLiteral shares its characters, which lie in this library's
    // read-only data; Qt's process-wide caches (font engines, fallbacks) keep what
    // they are handed long after the host has unloaded us. Heap characters belong
    // to Qt's allocator and outlive the library.
    return QString(text.constData(), text.size());
}

form_base_c::form_base_c() = default;

form_base_c::~form_base_c()
{
    if (registry != nullptr)
        registry->remove_listener(static_cast<listener_i *>(this));
}

void *form_base_c::query_interface(const interface_id_t *id)
{
    if (same_interface_id(id, iid_interface_i) || same_interface_id(id, iid_listener_i))
        return static_cast<listener_i *>(this);
    if (same_interface_id(id, iid_language_listener_i))
        return static_cast<language_listener_i *>(this);
    return nullptr;
}

void form_base_c::release()
{
    delete this;
}

void form_base_c::language_changed(language_service_i *service, int)
{
    if (service != nullptr)
        apply_language(service->get_language());
}

void form_base_c::set_font(QWidget *widget, const QString &family, int pixel_size, int letter_spacing,
                           bool bold, bool italic)
{
    add_font_entry(traditional_chinese, traditional_chinese_family, pixel_size, widget, letter_spacing, bold,
                   italic);
    add_font_entry(simplified_chinese, simplified_chinese_family, pixel_size, widget, letter_spacing, bold,
                   italic);
    const QString own_family = lasting_text(family);
    for (int language : {0, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16})
        add_font_entry(language, own_family, pixel_size, widget, letter_spacing, bold, italic);
}

void form_base_c::add_font_entry(int language, const QString &family, int pixel_size, QWidget *widget,
                                 int letter_spacing, bool bold, bool italic)
{
    if (widget == nullptr)
        return;
    font_entry entry;
    entry.bold = bold ? 1 : 0;
    entry.italic = italic ? 1 : 0;
    entry.pixel_size = pixel_size;
    entry.letter_spacing = letter_spacing;
    entry.family = family;
    entry.widget = widget;
    fonts[language].append(entry);
}

void form_base_c::attach(ctrl_center_i *ctrl_center)
{
    if (ctrl_center == nullptr) {
        registry = nullptr;
        return;
    }
    registry = static_cast<listener_registry_i *>(ctrl_center->query_interface(&iid_listener_registry_i));
    if (registry == nullptr)
        return;
    registry->add_listener(static_cast<listener_i *>(this));
    if (auto *service = static_cast<language_service_i *>(registry->query_interface(&iid_language_service_i)))
        apply_language(service->get_language());
}

void form_base_c::apply_language(int language)
{
    retranslate_texts();

    const QList<font_entry> entries = fonts.value(language);
    QFont font;
    for (const font_entry &entry : entries) {
        if (entry.widget == nullptr)
            continue;
        font.setFamily(entry.family);
        font.setPixelSize(entry.pixel_size);
        font.setWeight(entry.bold ? QFont::Bold : QFont::Normal);
        font.setStyle(static_cast<QFont::Style>(entry.italic));
        font.setKerning(false);
        font.setStyleStrategy(QFont::PreferAntialias);
        font.setLetterSpacing(QFont::AbsoluteSpacing, entry.letter_spacing);
        entry.widget->setFont(font);
    }

    // Elided labels and buttons show their whole text on hover.
    for (const font_entry &entry : entries) {
        QString text;
        if (auto *label = qobject_cast<QLabel *>(entry.widget))
            text = label->text();
        else if (auto *button = qobject_cast<QAbstractButton *>(entry.widget))
            text = button->text();
        if (!text.isEmpty())
            entry.widget->setToolTip(text);
    }

    after_language_applied();
}

void join_parent_grid(QWidget *form, QWidget *parent)
{
    if (form == nullptr || parent == nullptr)
        return;
    auto *grid = qobject_cast<QGridLayout *>(parent->layout());
    if (grid == nullptr && parent->layout() == nullptr) {
        grid = new QGridLayout(parent);
        grid->setSpacing(0);
        grid->setContentsMargins(0, 0, 0, 0);
    }
    if (grid != nullptr && grid->indexOf(form) < 0)
        grid->addWidget(form, 0, 0);
}
