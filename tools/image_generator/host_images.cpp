// Pictures the host application carries and the module's style sheets name,
// written under host/resources/graphics/.
#include "drawing.h"

#include <cmath>

#include <QtMath>

namespace {

// One of the eleven frames that ride on the right end of the 8-pixel progress
// fill: a glowing head that breathes while sparks drift off to the right.
QImage progress_frame(int frame, int frames)
{
    const int width = 18, height = 8;
    QImage image = new_canvas(width, height);
    QPainter painter(&image);
    smooth(painter);
    painter.setPen(Qt::NoPen);
    const qreal phase = qreal(frame) / frames;
    const qreal breath = 0.5 + 0.5 * std::cos(2 * M_PI * phase);

    QRadialGradient head(QPointF(0, 4), 7 + 3 * breath);
    head.setColorAt(0, with_alpha(QColor(0xd8, 0xf1, 0xff), 230));
    head.setColorAt(0.35, with_alpha(palette::accent, 170 + int(60 * breath)));
    head.setColorAt(1, with_alpha(palette::accent, 0));
    painter.setBrush(head);
    painter.drawRect(QRectF(0, 0, width, height));
    painter.fillRect(QRectF(0, 1, 1.5, 6), with_alpha(QColor(0xe8, 0xf7, 0xff), 200 + int(55 * breath)));

    // Two sparks, half a cycle apart, fading as they leave the head.
    for (int spark = 0; spark < 2; ++spark) {
        const qreal travel = std::fmod(phase + spark * 0.5, 1.0);
        const qreal x = 3 + travel * (width - 5);
        const qreal y = spark ? 2.5 : 5.5;
        painter.setBrush(with_alpha(QColor(0xe8, 0xf7, 0xff), int(230 * (1.0 - travel))));
        painter.drawEllipse(QPointF(x, y), 1.1, 1.1);
    }
    return image;
}

// 32 x 32 grabbing hand; Qt puts the hot spot of a pixmap cursor in its
// centre, which is where the fist is.
QImage closed_hand()
{
    QImage image = new_canvas(32, 32);
    QPainter painter(&image);
    smooth(painter);

    QPainterPath hand;
    hand.setFillRule(Qt::WindingFill);
    // Four curled fingers seen from above, the palm below them, the thumb
    // tucked in on the left.
    for (int i = 0; i < 4; ++i)
        hand.addRoundedRect(QRectF(9.5 + i * 4, 9.5, 4, 8), 2, 2);
    hand.addRoundedRect(QRectF(9.5, 13, 16, 12), 4, 4);
    hand.addRoundedRect(QRectF(6, 14, 7, 5.5), 2.75, 2.75);
    hand = hand.simplified();

    painter.setPen(QPen(QColor(0x10, 0x10, 0x10), 1.4, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.setBrush(palette::white);
    painter.drawPath(hand);
    painter.setPen(QPen(QColor(0x10, 0x10, 0x10), 1, Qt::SolidLine, Qt::RoundCap));
    for (int i = 1; i < 4; ++i)
        painter.drawLine(QPointF(9.5 + i * 4, 10.5), QPointF(9.5 + i * 4, 14.5));
    painter.drawLine(QPointF(11, 19.5), QPointF(13.5, 19.5));
    return image;
}

// 19 x 17 arrow area at either end of the vertical scroll bar.
QImage scroll_arrow(bool up, const QColor &colour)
{
    QImage image = new_canvas(19, 17);
    QPainter painter(&image);
    smooth(painter);
    painter.setPen(Qt::NoPen);
    painter.setBrush(colour);
    painter.drawPath(arrow_head(QRectF(5, 6, 9, 5), up));
    return image;
}

// Content strip of the scanning dialog; stretched to the strip, so it is
// drawn at the strip's own size.
QImage scan_strip_background()
{
    const QSize size(645, 78);
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    QPainter painter(&image);
    smooth(painter);
    QLinearGradient base(0, 0, 0, size.height());
    base.setColorAt(0, QColor(0x0d, 0x0d, 0x0d));
    base.setColorAt(1, QColor(0x05, 0x05, 0x05));
    painter.fillRect(image.rect(), base);
    triangle_mesh(painter, QRectF(QPointF(0, 0), size), 30, 0x3d21u, [&](const QPointF &centre) {
        // Facets only towards both ends, so the bar in the middle stays calm.
        const qreal u = centre.x() / size.width();
        const qreal side = std::max(0.0, std::abs(u - 0.5) * 2 - 0.3) / 0.7;
        if (side <= 0)
            return QColor(Qt::transparent);
        const qreal wave = 0.5 + 0.5 * std::sin(centre.x() * 0.09 + centre.y() * 0.2);
        const int grey = 20 + int(wave * 12);
        return QColor(grey, grey + 1, grey + 5, int(255 * std::min(1.0, side * 1.2)));
    });
    QLinearGradient glow(0, 0, size.width(), 0);
    glow.setColorAt(0, with_alpha(palette::accent, 0));
    glow.setColorAt(0.5, with_alpha(palette::accent, 90));
    glow.setColorAt(1, with_alpha(palette::accent, 0));
    painter.fillRect(QRectF(0, 0, size.width(), 1), QColor(0x22, 0x22, 0x22));
    painter.fillRect(QRectF(0, size.height() - 1, size.width(), 1), glow);
    return image;
}

// Fades the right end of a disabled column heading into the black panel.
QImage heading_fade()
{
    QImage image = new_canvas(40, 45);
    QPainter painter(&image);
    QLinearGradient fade(0, 0, 40, 0);
    fade.setColorAt(0, with_alpha(palette::black, 0));
    fade.setColorAt(0.8, palette::black);
    fade.setColorAt(1, palette::black);
    painter.fillRect(image.rect(), fade);
    return image;
}

// Icons of the demo's made-up games and programs: a glossy tile in the
// title's own colour with a simple emblem, 48 x 48 like a desktop icon.
QImage demo_icon(QColor base, int emblem)
{
    QImage image = new_canvas(48, 48);
    QPainter painter(&image);
    smooth(painter);
    QLinearGradient tile(0, 0, 0, 48);
    tile.setColorAt(0, base.lighter(150));
    tile.setColorAt(1, base.darker(160));
    painter.setPen(QPen(base.darker(220), 1));
    painter.setBrush(tile);
    painter.drawRoundedRect(QRectF(2.5, 2.5, 43, 43), 9, 9);

    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(255, 255, 255, 225));
    QPainterPath path;
    switch (emblem) {
    case 0: // star
        for (int i = 0; i < 10; ++i) {
            const qreal angle = -M_PI / 2 + i * M_PI / 5;
            const qreal radius = i % 2 ? 7.5 : 17;
            const QPointF point(24 + radius * std::cos(angle), 25 + radius * std::sin(angle));
            i == 0 ? path.moveTo(point) : path.lineTo(point);
        }
        path.closeSubpath();
        break;
    case 1: // anchor-like wave
        path.addEllipse(QPointF(24, 13), 4, 4);
        path.addRect(QRectF(22.5, 15, 3, 20));
        path.addRect(QRectF(15, 19, 18, 3));
        path.moveTo(10, 28);
        path.quadTo(24, 46, 38, 28);
        path.lineTo(34, 28);
        path.quadTo(24, 40, 14, 28);
        path.closeSubpath();
        break;
    case 2: // chequered flag
        for (int row = 0; row < 4; ++row)
            for (int column = 0; column < 5; ++column)
                if ((row + column) % 2 == 0)
                    path.addRect(QRectF(11 + column * 5.5, 12 + row * 5.5, 5.5, 5.5));
        path.addRect(QRectF(9, 12, 2, 25));
        break;
    case 3: // speech bubble
        path.addRoundedRect(QRectF(9, 11, 30, 20), 6, 6);
        path.moveTo(16, 30);
        path.lineTo(14, 38);
        path.lineTo(23, 30);
        path.closeSubpath();
        break;
    default: // record dot in a frame
        path.addRoundedRect(QRectF(10, 14, 28, 20), 3, 3);
        path.addEllipse(QPointF(24, 24), 6, 6);
        path.setFillRule(Qt::OddEvenFill);
        break;
    }
    painter.drawPath(path.simplified());
    return image;
}

} // namespace

image_list host_images()
{
    image_list images;
    const int frames = 11;
    for (int n = 0; n < frames; ++n)
        images.append({QStringLiteral("common/progress/%1.png").arg(n), progress_frame(n, frames)});

    // Dialog frames stand out a little more than panel frames: brighter rim
    // and an accent hairline along the top.
    images += frame_pieces(QStringLiteral("controls/control_box"),
                           {QColor(0x55, 0x55, 0x55), QColor(0x2c, 0x2c, 0x2c), QColor(255, 255, 255, 20),
                            with_alpha(palette::accent, 150)});

    images.append({QStringLiteral("common/cursor/closed_hand.png"), closed_hand()});

    const struct
    {
        const char *suffix;
        QColor colour;
    } arrow_states[] = {{"", palette::idle}, {"-hover", palette::hover}, {"-press", palette::accent}};
    for (bool up : {true, false})
        for (const auto &state : arrow_states)
            images.append({QStringLiteral("component/scroll_bar/") +
                               (up ? QLatin1String("up") : QLatin1String("down")) + QLatin1String("-arrow") +
                               QLatin1String(state.suffix) + QLatin1String(".png"),
                           scroll_arrow(up, state.colour)});

    images.append({QStringLiteral("image_editor/Profile_Image_Background.png"), scan_strip_background()});
    images.append({QStringLiteral("profile/Gradient-right.png"), heading_fade()});

    const struct
    {
        const char *name;
        QColor colour;
    } demo_icons[] = {{"starfall", QColor(0x5b, 0x3f, 0xc4)},    {"iron_tide", QColor(0x1f, 0x6f, 0x8b)},
                      {"pixel_racer", QColor(0xc4, 0x4a, 0x2c)}, {"voice_chat", QColor(0x2e, 0x9e, 0x5b)},
                      {"capture", QColor(0x9a, 0x2b, 0x4f)},     {"aurora", QColor(0x23, 0x8f, 0x9e)},
                      {"citadel", QColor(0x7a, 0x6a, 0x3c)},     {"orbit", QColor(0x3c, 0x4a, 0x9a)},
                      {"harbor", QColor(0x1d, 0x4e, 0x6e)}};
    int emblem = 0;
    for (const auto &icon : demo_icons)
        images.append({QStringLiteral("demo/%1.png").arg(QLatin1String(icon.name)),
                       demo_icon(icon.colour, emblem++ % 5)});
    return images;
}
