// One overview picture for reviewing the whole set at a glance.
#include "drawing.h"

#include <QFontMetrics>

namespace {

const int sheet_width = 1500;
const int pad = 10;
const QColor sheet_background(0x44, 0x44, 0x48);
const QColor dark_swatch(0x1c, 0x1c, 0x1c);
const QColor light_swatch(0xdc, 0xdc, 0xdc);

struct tile
{
    const generated_image *entry;
    int scale;
    QSize shown;
    QRect box;
};

// Small pictures are blown up by a whole factor without smoothing, so single
// pixels stay visible.
int scale_for(const QSize &size)
{
    const int longest = std::max(size.width(), size.height());
    if (longest > 48)
        return 1;
    return std::max(2, std::min(6, 96 / std::max(longest, 1)));
}

} // namespace

QImage contact_sheet(const image_list &module, const image_list &host)
{
    QFont font;
    font.setPixelSize(11);
    QFont heading_font = font;
    heading_font.setPixelSize(16);
    heading_font.setBold(true);
    const QFontMetrics metrics(font);
    const int label_height = 2 * metrics.height() + 4;

    struct section
    {
        QString title;
        const image_list *images;
        QVector<tile> tiles;
        int top;
    };
    QVector<section> sections = {{QStringLiteral("module: resources/graphics"), &module, {}, 0},
                                 {QStringLiteral("host: host/resources/graphics"), &host, {}, 0}};

    // Flow the tiles left to right, wrapping at the sheet width.
    int y = pad;
    for (section &s : sections) {
        s.top = y;
        y += 28;
        int x = pad;
        int row_height = 0;
        for (const generated_image &entry : *s.images) {
            tile t;
            t.entry = &entry;
            t.scale = scale_for(entry.image.size());
            t.shown = entry.image.size() * t.scale;
            const int label_width =
                std::max(metrics.horizontalAdvance(entry.path),
                         metrics.horizontalAdvance(QStringLiteral("000 x 000, shown x6")));
            // Blown-up pictures also get a 1:1 copy beside their label.
            const QSize actual = t.scale > 1 ? entry.image.size() + QSize(8, 8) : QSize(0, 0);
            const int width = std::max(2 * t.shown.width() + 3 * pad, label_width + actual.width() + 3 * pad);
            const int height = t.shown.height() + 2 * pad + std::max(label_height, actual.height());
            if (x + width > sheet_width - pad && x > pad) {
                x = pad;
                y += row_height + pad;
                row_height = 0;
            }
            t.box = QRect(x, y, width, height);
            s.tiles.append(t);
            x += width + pad;
            row_height = std::max(row_height, height);
        }
        y += row_height + 2 * pad;
    }

    QImage sheet(sheet_width, y, QImage::Format_RGB32);
    sheet.fill(sheet_background);
    QPainter painter(&sheet);
    for (const section &s : sections) {
        painter.setFont(heading_font);
        painter.setPen(Qt::white);
        painter.drawText(QRect(pad, s.top, sheet_width, 24), Qt::AlignLeft | Qt::AlignVCenter,
                         s.title + QStringLiteral(" (%1 images)").arg(s.images->size()));
        painter.setFont(font);
        for (const tile &t : s.tiles) {
            painter.fillRect(t.box, QColor(0x33, 0x33, 0x36));
            const int swatch_width = (t.box.width() - 3 * pad) / 2;
            const QRect dark(t.box.left() + pad, t.box.top() + pad, swatch_width, t.shown.height());
            const QRect light(dark.right() + 1 + pad, dark.top(), swatch_width, t.shown.height());
            painter.fillRect(dark.adjusted(-4, -4, 4, 4), dark_swatch);
            painter.fillRect(light.adjusted(-4, -4, 4, 4), light_swatch);
            const QImage shown =
                t.scale == 1 ? t.entry->image
                             : t.entry->image.scaled(t.shown, Qt::IgnoreAspectRatio, Qt::FastTransformation);
            for (const QRect &swatch : {dark, light})
                painter.drawImage(swatch.left() + (swatch.width() - t.shown.width()) / 2, swatch.top(),
                                  shown);

            QString size = QStringLiteral("%1 x %2").arg(t.entry->image.width()).arg(t.entry->image.height());
            if (t.scale > 1)
                size += QStringLiteral(", shown x%1").arg(t.scale);
            painter.setPen(QColor(0xe0, 0xe0, 0xe0));
            const int text_top = dark.bottom() + 1 + pad;
            painter.drawText(QRect(t.box.left() + pad, text_top, t.box.width(), metrics.height()),
                             Qt::AlignLeft, t.entry->path);
            if (t.scale > 1) {
                const QRect patch(t.box.right() - pad - t.entry->image.width() - 8, text_top,
                                  t.entry->image.width() + 8, t.entry->image.height() + 8);
                painter.fillRect(patch, dark_swatch);
                painter.drawImage(patch.left() + 4, patch.top() + 4, t.entry->image);
            }
            painter.setPen(QColor(0xa0, 0xa0, 0xa0));
            painter.drawText(
                QRect(t.box.left() + pad, text_top + metrics.height() + 2, t.box.width(), metrics.height()),
                Qt::AlignLeft, size);
        }
    }
    return sheet;
}
