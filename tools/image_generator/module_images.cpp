// The module's own pictures, written under resources/graphics/.
#include "drawing.h"

#include <QPainterPathStroker>
#include <QtMath>

namespace {

// 16 x 16 circled plus; drawn at (19, 6) in the 28-pixel add button.
QImage plus_icon(const QColor &colour)
{
    QImage image = new_canvas(16, 16);
    QPainter painter(&image);
    smooth(painter);
    painter.setPen(QPen(colour, 1));
    painter.drawEllipse(QRectF(0.5, 0.5, 15, 15));
    painter.setPen(Qt::NoPen);
    painter.setBrush(colour);
    painter.drawRect(QRectF(4, 7, 8, 2));
    painter.drawRect(QRectF(7, 4, 2, 8));
    return image;
}

// 13 x 9 arrow of the row's move buttons. The up arrow sits at the bottom of
// its button and the down arrow at the top of the one below, so each keeps two
// empty rows on the side facing the other.
QImage move_arrow(bool up, const QColor &colour)
{
    QImage image = new_canvas(13, 9);
    QPainter painter(&image);
    smooth(painter);
    painter.setPen(Qt::NoPen);
    painter.setBrush(colour);
    painter.drawPath(arrow_head(up ? QRectF(0.5, 1, 12, 6) : QRectF(0.5, 2, 12, 6), up));
    return image;
}

// Thin separator between the cells of a row, fading out at both ends.
QImage divider(int height)
{
    QImage image = new_canvas(1, height);
    QPainter painter(&image);
    QLinearGradient fade(0, 0, 0, height);
    const QColor line(0x0b, 0x0b, 0x0b);
    fade.setColorAt(0, with_alpha(line, 0));
    fade.setColorAt(0.18, line);
    fade.setColorAt(0.82, line);
    fade.setColorAt(1, with_alpha(line, 0));
    painter.fillRect(image.rect(), fade);
    return image;
}

QImage pencil_icon(int size, qreal length, const QColor &colour)
{
    QImage image = new_canvas(size, size);
    QPainter painter(&image);
    smooth(painter);
    painter.setPen(Qt::NoPen);
    painter.setBrush(colour);
    const qreal span = length / std::sqrt(2.0);
    const QPointF tip((size - span) / 2, (size + span) / 2);
    painter.drawPath(pencil_path(tip, length, length * 0.25));
    return image;
}

QImage cross_icon(int size, qreal arm, qreal stroke, const QColor &colour)
{
    QImage image = new_canvas(size, size);
    QPainter painter(&image);
    smooth(painter);
    painter.setPen(Qt::NoPen);
    painter.setBrush(colour);
    const qreal offset = (size - arm) / 2;
    painter.drawPath(cross_path(QRectF(offset, offset, arm, arm), stroke));
    return image;
}

// 32 x 32 browse button beside a 32-pixel line edit: it wears the edit's own
// frame so the two read as one control, and lights up as the edit does.
QImage folder_button(bool over)
{
    QImage image = new_canvas(32, 32);
    QPainter painter(&image);
    smooth(painter);
    painter.setPen(QPen(over ? palette::accent : palette::line_dark, 1));
    painter.setBrush(palette::black);
    painter.drawRoundedRect(QRectF(0.5, 0.5, 31, 31), 2, 2);

    const QColor glyph = over ? palette::white : palette::idle;
    QPainterPath back;
    back.moveTo(8, 10.5);
    back.lineTo(8, 22);
    back.lineTo(24, 22);
    back.lineTo(24, 12);
    back.lineTo(15.5, 12);
    back.lineTo(14, 10);
    back.lineTo(9, 10);
    back.closeSubpath();
    painter.setPen(Qt::NoPen);
    painter.setBrush(glyph.darker(over ? 150 : 140));
    painter.drawPath(back);
    QPainterPath front;
    front.moveTo(8, 22);
    front.lineTo(10.5, 14.5);
    front.lineTo(26, 14.5);
    front.lineTo(24, 22);
    front.closeSubpath();
    painter.setBrush(glyph);
    painter.drawPath(front);
    return image;
}

// Background of the 26-pixel headers; the same in every column, so it may be
// tiled or stretched.
QImage header_background()
{
    QImage image = new_canvas(16, 26);
    QPainter painter(&image);
    QLinearGradient body(0, 0, 0, 26);
    body.setColorAt(0, QColor(0x2e, 0x2e, 0x2e));
    body.setColorAt(1, QColor(0x1b, 0x1b, 0x1b));
    painter.fillRect(image.rect(), body);
    painter.fillRect(QRect(0, 0, 16, 1), QColor(0x3a, 0x3a, 0x3a));
    painter.fillRect(QRect(0, 25, 16, 1), QColor(0x0d, 0x0d, 0x0d));
    return image;
}

// 21 x 21 dialog close button: a cross in a ring.
QImage close_button(const QColor &ring, const QColor &cross, const QColor &fill)
{
    QImage image = new_canvas(21, 21);
    QPainter painter(&image);
    smooth(painter);
    painter.setPen(QPen(ring, 1));
    painter.setBrush(fill);
    painter.drawEllipse(QRectF(0.5, 0.5, 20, 20));
    painter.setPen(Qt::NoPen);
    painter.setBrush(cross);
    painter.drawPath(cross_path(QRectF(7, 7, 7, 7), 1.6));
    return image;
}

image_list close_states(const QString &folder)
{
    return {
        {folder + QStringLiteral("/close_normal.png"),
         close_button(palette::line_dark, palette::idle, Qt::transparent)},
        {folder + QStringLiteral("/close_over.png"),
         close_button(palette::idle, palette::white, palette::surface_2)},
        {folder + QStringLiteral("/close_down.png"),
         close_button(palette::accent, palette::accent, QColor(0x0d, 0x2a, 0x3a))},
    };
}

// 18 x 18 bin with lid and handle.
QImage trash_icon(const QColor &colour)
{
    QImage image = new_canvas(18, 18);
    QPainter painter(&image);
    smooth(painter);
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(colour, 1.3, Qt::SolidLine, Qt::FlatCap, Qt::MiterJoin));
    QPainterPath handle;
    handle.moveTo(6.6, 4);
    handle.lineTo(6.6, 1.65);
    handle.lineTo(11.4, 1.65);
    handle.lineTo(11.4, 4);
    painter.drawPath(handle);
    painter.setPen(QPen(colour, 1.4, Qt::SolidLine, Qt::FlatCap, Qt::MiterJoin));
    QPainterPath can;
    can.moveTo(4.2, 6.9);
    can.lineTo(13.8, 6.9);
    can.lineTo(12.9, 16.3);
    can.lineTo(5.1, 16.3);
    can.closeSubpath();
    painter.drawPath(can);
    painter.setPen(QPen(colour, 1.2, Qt::SolidLine, Qt::FlatCap));
    painter.drawLine(QPointF(7.6, 9.2), QPointF(7.8, 14));
    painter.drawLine(QPointF(10.4, 9.2), QPointF(10.2, 14));
    painter.setPen(Qt::NoPen);
    painter.setBrush(colour);
    painter.drawRect(QRectF(2, 4, 14, 1.6));
    return image;
}

// 67 x 67 badge of the quick-launch page: a play sign leaving speed lines
// inside a gauge ring.
QImage quick_launch_badge()
{
    QImage image = new_canvas(67, 67);
    QPainter painter(&image);
    smooth(painter);
    const QPointF centre(33.5, 33.5);
    QRadialGradient disc(centre, 32);
    disc.setColorAt(0, QColor(0x2a, 0x2a, 0x2a));
    disc.setColorAt(1, QColor(0x12, 0x12, 0x12));
    painter.setPen(QPen(palette::line_dark, 1));
    painter.setBrush(disc);
    painter.drawEllipse(centre, 32.5, 32.5);

    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(QColor(0x1e, 0x1e, 0x1e), 3, Qt::SolidLine, Qt::FlatCap));
    painter.drawEllipse(centre, 28, 28);
    QConicalGradient sweep(centre, 230);
    sweep.setColorAt(0, palette::blue_light);
    sweep.setColorAt(0.75, palette::blue_dark);
    sweep.setColorAt(1, palette::blue_light);
    painter.setPen(QPen(QBrush(sweep), 3, Qt::SolidLine, Qt::RoundCap));
    painter.drawArc(QRectF(5.5, 5.5, 56, 56), -40 * 16, 270 * 16);

    QPainterPath play;
    play.moveTo(28, 21);
    play.lineTo(47, 33.5);
    play.lineTo(28, 46);
    play.closeSubpath();
    QPainterPathStroker round;
    round.setWidth(4);
    round.setJoinStyle(Qt::RoundJoin);
    painter.setPen(Qt::NoPen);
    painter.setBrush(button_gradient(QPointF(0, 46), QPointF(0, 21)));
    painter.drawPath(play.united(round.createStroke(play)));

    painter.setPen(QPen(palette::hover, 2.2, Qt::SolidLine, Qt::RoundCap));
    painter.drawLine(QPointF(15, 27.5), QPointF(22, 27.5));
    painter.setPen(QPen(palette::idle, 2.2, Qt::SolidLine, Qt::RoundCap));
    painter.drawLine(QPointF(12, 33.5), QPointF(22, 33.5));
    painter.setPen(QPen(palette::line_dark.lighter(140), 2.2, Qt::SolidLine, Qt::RoundCap));
    painter.drawLine(QPointF(15, 39.5), QPointF(22, 39.5));
    return image;
}

// 20 x 20 circular "start over" arrow.
QImage reset_icon(const QColor &colour)
{
    QImage image = new_canvas(20, 20);
    QPainter painter(&image);
    smooth(painter);
    painter.setPen(QPen(colour, 2, Qt::SolidLine, Qt::FlatCap));
    painter.setBrush(Qt::NoBrush);
    const QRectF ring(3.5, 3.5, 13, 13);
    painter.drawArc(ring, 110 * 16, 290 * 16);
    // Arrow head at the open end of the ring, pointing along the turn.
    const qreal angle = qDegreesToRadians(110.0);
    const QPointF end(10 + 6.5 * std::cos(angle), 10 - 6.5 * std::sin(angle));
    QPainterPath head;
    head.moveTo(end + QPointF(3.4, 0.4));
    head.lineTo(end + QPointF(-1.6, -3.6));
    head.lineTo(end + QPointF(-1.2, 3.6));
    head.closeSubpath();
    painter.setPen(Qt::NoPen);
    painter.setBrush(colour);
    painter.drawPath(head);
    return image;
}

QImage slash()
{
    QImage image = new_canvas(10, 20);
    QPainter painter(&image);
    smooth(painter);
    painter.setPen(QPen(palette::idle, 2, Qt::SolidLine, Qt::FlatCap));
    painter.drawLine(QPointF(8.5, 1), QPointF(1.5, 19));
    return image;
}

// Shade of a triangle in the pairing dialog's background: facets brighten
// towards the sides and the top, and the middle, where the text is, stays
// almost black.
QColor pairing_facet(const QPointF &centre, const QSizeF &size)
{
    const qreal u = centre.x() / size.width();
    const qreal v = centre.y() / size.height();
    const qreal side = std::pow(std::abs(u - 0.5) * 2, 1.6);
    const qreal top = std::pow(std::max(0.0, 1.0 - v * 1.4), 2);
    const qreal light = std::min(1.0, side * 0.75 + top * 0.55);
    const qreal wave = 0.5 + 0.5 * std::sin(centre.x() * 0.083 + centre.y() * 0.131);
    const int grey = 8 + int(light * (16 + wave * 10));
    return QColor(grey, grey + int(light * 2), grey + int(light * 9));
}

QImage triangle_background()
{
    const QSize size(645, 391);
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    image.fill(QColor(8, 8, 8));
    QPainter painter(&image);
    smooth(painter);
    triangle_mesh(painter, QRectF(QPointF(0, 0), size), 46, 0x51a7u,
                  [&](const QPointF &centre) { return pairing_facet(centre, size); });
    // A faint accent haze along the top ties the field to the header colour.
    QLinearGradient haze(0, 0, 0, 70);
    haze.setColorAt(0, with_alpha(palette::accent, 22));
    haze.setColorAt(1, with_alpha(palette::accent, 0));
    painter.fillRect(QRect(0, 0, size.width(), 70), haze);
    return image;
}

// Facets in the top right corner of the connect panel, fading to nothing
// towards the left and the bottom so they sit on any black.
QImage corner_triangles()
{
    const QSize size(560, 330);
    QImage image = new_canvas(size.width(), size.height());
    QPainter painter(&image);
    smooth(painter);
    triangle_mesh(painter, QRectF(QPointF(0, 0), size), 52, 0x7c3fu, [&](const QPointF &centre) {
        const qreal u = 1.0 - centre.x() / size.width();
        const qreal v = centre.y() / size.height();
        const qreal reach = 1.0 - std::hypot(u * 0.95, v * 1.1);
        if (reach <= 0)
            return QColor(Qt::transparent);
        const qreal wave = 0.5 + 0.5 * std::sin(centre.x() * 0.07 - centre.y() * 0.11);
        QColor facet;
        // Now and then a facet near the corner catches the accent light.
        if (reach > 0.45 && std::fmod(centre.x() * 0.61 + centre.y() * 1.37, 9.0) < 0.8)
            facet = QColor(0x16, 0x4e, 0x6e);
        else
            facet = QColor(24 + int(wave * 22), 26 + int(wave * 22), 32 + int(wave * 32));
        facet.setAlphaF(std::min(1.0, reach * 1.35));
        return facet;
    });
    return image;
}

// Phone and PC linked by a dotted line; centred in a 645 x 80 strip.
QImage phone_pc_icon()
{
    QImage image = new_canvas(220, 76);
    QPainter painter(&image);
    smooth(painter);

    const QRectF phone(22, 12, 30, 56);
    painter.setPen(Qt::NoPen);
    QLinearGradient screen(0, phone.top(), 0, phone.bottom());
    screen.setColorAt(0, QColor(0x10, 0x3c, 0x57));
    screen.setColorAt(1, QColor(0x06, 0x16, 0x22));
    painter.setBrush(screen);
    painter.drawRect(phone.adjusted(2, 5, -2, -6));
    painter.setBrush(palette::hover);
    painter.drawPath(smartphone_path(phone, 5));
    draw_vorla_mark(painter, QRectF(phone.center().x() - 8, phone.center().y() - 9, 16, 16));

    const QRectF monitor(128, 8, 72, 48);
    painter.setBrush(palette::hover);
    QPainterPath frame;
    frame.addRoundedRect(monitor, 3, 3);
    frame.addRect(monitor.adjusted(3, 3, -3, -7));
    painter.drawPath(frame);
    painter.setBrush(screen);
    painter.drawRect(monitor.adjusted(3, 3, -3, -7));
    draw_vorla_mark(painter, QRectF(monitor.center().x() - 10, monitor.center().y() - 13, 20, 20));
    QPainterPath stand;
    stand.moveTo(158, 56);
    stand.lineTo(170, 56);
    stand.lineTo(173, 64);
    stand.lineTo(155, 64);
    stand.closeSubpath();
    stand.addRoundedRect(QRectF(146, 63.5, 36, 3), 1.5, 1.5);
    painter.setBrush(palette::idle);
    painter.drawPath(stand);

    // The link: dots growing towards the middle, in accent.
    for (int i = 0; i < 9; ++i) {
        const qreal x = 64 + i * 7.5;
        const qreal r = 1.1 + 1.1 * std::sin(M_PI * i / 8.0);
        painter.setBrush(with_alpha(palette::accent, 110 + int(145 * std::sin(M_PI * i / 8.0))));
        painter.drawEllipse(QPointF(x, 38), r, r);
    }
    return image;
}

// Product lock-up over the connect panel: mark, name and a phone.
QImage logo_graphic()
{
    const QSize size(560, 150);
    QImage image = new_canvas(size.width(), size.height());
    QPainter painter(&image);
    smooth(painter);

    // Soft accent glow behind the phone.
    QRadialGradient glow(QPointF(470, 78), 92);
    glow.setColorAt(0, with_alpha(palette::blue_dark, 70));
    glow.setColorAt(1, with_alpha(palette::blue_dark, 0));
    painter.setPen(Qt::NoPen);
    painter.setBrush(glow);
    painter.drawEllipse(QPointF(470, 78), 92, 72);

    draw_vorla_mark(painter, QRectF(22, 31, 88, 88));

    const qreal cap = 46;
    const QPainterPath name = lettering(QStringLiteral("VORLA"), cap, 9, 11);
    painter.setBrush(palette::white);
    painter.drawPath(name.translated(130, 30));
    const qreal small_cap = 17;
    const QString connect = QStringLiteral("CONNECT");
    const qreal name_width = lettering_width(QStringLiteral("VORLA"), cap, 11);
    // CONNECT spans the width of VORLA below it.
    const qreal tracking = (name_width - lettering_width(connect, small_cap, 0)) / (connect.size() - 1);
    painter.setBrush(palette::accent);
    painter.drawPath(lettering(connect, small_cap, 3.2, tracking).translated(130, 92));

    // The phone, leaning slightly, with the mark on its screen.
    painter.save();
    painter.translate(470, 76);
    painter.rotate(8);
    const QRectF body(-34, -64, 68, 128);
    QLinearGradient screen(0, body.top(), 0, body.bottom());
    screen.setColorAt(0, QColor(0x12, 0x45, 0x63));
    screen.setColorAt(1, QColor(0x05, 0x12, 0x1c));
    painter.setBrush(screen);
    painter.drawRect(body.adjusted(5, 12, -5, -15));
    QLinearGradient metal(body.topLeft(), body.bottomRight());
    metal.setColorAt(0, QColor(0x5a, 0x5a, 0x5a));
    metal.setColorAt(0.5, QColor(0x2c, 0x2c, 0x2c));
    metal.setColorAt(1, QColor(0x48, 0x48, 0x48));
    painter.setBrush(metal);
    painter.drawPath(smartphone_path(body, 10));
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(QColor(0x80, 0x80, 0x80), 1));
    painter.drawRoundedRect(body.adjusted(0.5, 0.5, -0.5, -0.5), 9.5, 9.5);
    draw_vorla_mark(painter, QRectF(-18, -26, 36, 36));
    painter.setPen(Qt::NoPen);
    for (int i = 0; i < 3; ++i) {
        painter.setBrush(with_alpha(palette::accent, 200 - i * 60));
        painter.drawRoundedRect(QRectF(-20, 20 + i * 8, 40 - i * 10, 3), 1.5, 1.5);
    }
    painter.restore();

    // Signal arcs between the name and the phone.
    painter.setBrush(Qt::NoBrush);
    for (int i = 0; i < 3; ++i) {
        painter.setPen(QPen(with_alpha(palette::accent, 220 - i * 60), 2.4, Qt::SolidLine, Qt::RoundCap));
        const qreal r = 8 + i * 8;
        painter.drawArc(QRectF(388 - r, 76 - r, 2 * r, 2 * r), -35 * 16, 70 * 16);
    }
    return image;
}

// 26 x 26 pencil for the PC-name field; leaves room to the field's border.
QImage field_edit_icon(const QColor &colour)
{
    return pencil_icon(26, 16, colour);
}

// 20 x 20 status LED; lit with a halo when paired.
QImage status_led(bool lit)
{
    QImage image = new_canvas(20, 20);
    QPainter painter(&image);
    smooth(painter);
    const QPointF centre(10, 10);
    painter.setPen(Qt::NoPen);
    if (lit) {
        QRadialGradient halo(centre, 10);
        halo.setColorAt(0.45, with_alpha(palette::accent, 110));
        halo.setColorAt(1, with_alpha(palette::accent, 0));
        painter.setBrush(halo);
        painter.drawEllipse(centre, 10, 10);
    }
    painter.setBrush(lit ? QColor(0x0b, 0x3b, 0x57) : QColor(0x0c, 0x0c, 0x0c));
    painter.drawEllipse(centre, 6.5, 6.5);
    QRadialGradient body(QPointF(8.6, 8.4), 6);
    if (lit) {
        body.setColorAt(0, QColor(0xe6, 0xf6, 0xff));
        body.setColorAt(0.45, palette::accent);
        body.setColorAt(1, QColor(0x1f, 0x86, 0xc2));
    } else {
        body.setColorAt(0, QColor(0x5a, 0x5a, 0x5a));
        body.setColorAt(1, QColor(0x26, 0x26, 0x26));
    }
    painter.setBrush(body);
    painter.drawEllipse(centre, 5.5, 5.5);
    return image;
}

// Tab pictures are stretched over the whole tab button, so every column is
// the same and only the vertical profile carries the look.
QImage tab_picture(int state)
{
    QImage image = new_canvas(48, 34);
    QPainter painter(&image);
    QLinearGradient body(0, 0, 0, 34);
    switch (state) {
    case 0:
        body.setColorAt(0, QColor(255, 255, 255, 0));
        body.setColorAt(1, QColor(255, 255, 255, 6));
        painter.fillRect(image.rect(), body);
        painter.fillRect(QRect(0, 33, 48, 1), palette::line_dark);
        break;
    case 1:
        body.setColorAt(0, QColor(255, 255, 255, 0));
        body.setColorAt(1, QColor(255, 255, 255, 22));
        painter.fillRect(image.rect(), body);
        painter.fillRect(QRect(0, 32, 48, 2), palette::idle);
        break;
    default:
        body.setColorAt(0, with_alpha(palette::accent, 0));
        body.setColorAt(0.5, with_alpha(palette::accent, 10));
        body.setColorAt(1, with_alpha(palette::accent, 52));
        painter.fillRect(image.rect(), body);
        painter.fillRect(QRect(0, 31, 48, 3), palette::accent);
        painter.fillRect(QRect(0, 31, 48, 1), QColor(0xb4, 0xe3, 0xfc));
        break;
    }
    return image;
}

// 26 x 26 stand-in for an entry without icon: a gamepad in a dim tile.
QImage empty_profile_icon()
{
    QImage image = new_canvas(26, 26);
    QPainter painter(&image);
    smooth(painter);
    painter.setPen(QPen(palette::line_dark, 1));
    painter.setBrush(QColor(0x14, 0x14, 0x14));
    painter.drawRoundedRect(QRectF(0.5, 0.5, 25, 25), 3, 3);

    QPainterPath pad;
    pad.addRoundedRect(QRectF(4, 8, 18, 9), 4.5, 4.5);
    pad.addEllipse(QPointF(7.5, 16.5), 3.2, 3.2);
    pad.addEllipse(QPointF(18.5, 16.5), 3.2, 3.2);
    pad.setFillRule(Qt::WindingFill);
    pad = pad.simplified();
    QPainterPath holes;
    holes.addRect(QRectF(6.2, 11.6, 4.6, 1.4));
    holes.addRect(QRectF(7.8, 10, 1.4, 4.6));
    holes.addEllipse(QPointF(17.2, 11.6), 1, 1);
    holes.addEllipse(QPointF(19.4, 13.6), 1, 1);
    holes.setFillRule(Qt::WindingFill);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(0x4a, 0x4a, 0x4a));
    painter.drawPath(pad.subtracted(holes.simplified()));
    return image;
}

// 37 x 16 auto-pair switch.
QImage switch_picture(bool on)
{
    QImage image = new_canvas(37, 16);
    QPainter painter(&image);
    smooth(painter);
    const QRectF track(0.5, 0.5, 36, 15);
    if (on) {
        painter.setPen(QPen(palette::blue_border, 1));
        painter.setBrush(button_gradient(QPointF(0, 16), QPointF(0, 0)));
    } else {
        QLinearGradient off(0, 0, 0, 16);
        off.setColorAt(0, QColor(0x12, 0x12, 0x12));
        off.setColorAt(1, QColor(0x20, 0x20, 0x20));
        painter.setPen(QPen(palette::line_dark, 1));
        painter.setBrush(off);
    }
    painter.drawRoundedRect(track, 7.5, 7.5);

    const QPointF knob = on ? QPointF(28.5, 8) : QPointF(8.5, 8);
    QRadialGradient face(knob - QPointF(1.5, 1.5), 6.5);
    if (on) {
        face.setColorAt(0, QColor(0xff, 0xff, 0xff));
        face.setColorAt(1, QColor(0xd6, 0xee, 0xfb));
    } else {
        face.setColorAt(0, QColor(0x80, 0x80, 0x80));
        face.setColorAt(1, QColor(0x55, 0x55, 0x55));
    }
    painter.setPen(QPen(on ? QColor(0x1d, 0x6f, 0x9e) : QColor(0x0c, 0x0c, 0x0c), 1));
    painter.setBrush(face);
    painter.drawEllipse(knob, 5.5, 5.5);
    return image;
}

} // namespace

image_list module_images()
{
    image_list images;
    auto add = [&](const QString &path, const QImage &image) { images.append({path, image}); };

    add(QStringLiteral("common/Plus_normal.png"), plus_icon(palette::idle));
    add(QStringLiteral("common/Plus_over.png"), plus_icon(palette::hover));
    add(QStringLiteral("common/Arrow_up_normal.png"), move_arrow(true, palette::idle));
    add(QStringLiteral("common/Arrow_up_over.png"), move_arrow(true, palette::accent));
    add(QStringLiteral("common/Arrow_down_normal.png"), move_arrow(false, palette::idle));
    add(QStringLiteral("common/Arrow_down_over.png"), move_arrow(false, palette::accent));
    add(QStringLiteral("common/Divider_line.png"), divider(34));
    add(QStringLiteral("common/Edit_normal.png"), pencil_icon(16, 15, palette::idle));
    add(QStringLiteral("common/Edit_over.png"), pencil_icon(16, 15, palette::accent));
    add(QStringLiteral("common/delete_normal.png"), cross_icon(14, 8, 1.8, palette::idle));
    add(QStringLiteral("common/delete_over.png"), cross_icon(14, 8, 1.8, palette::accent));
    add(QStringLiteral("common/Folder_Icon_normal.png"), folder_button(false));
    add(QStringLiteral("common/Folder_Icon_over.png"), folder_button(true));
    add(QStringLiteral("common/Header_BG.png"), header_background());

    images +=
        frame_pieces(QStringLiteral("common/border"), {QColor(0x3c, 0x3c, 0x3c), QColor(0x24, 0x24, 0x24),
                                                       QColor(255, 255, 255, 16), QColor()});
    images += close_states(QStringLiteral("common/close"));
    add(QStringLiteral("common/trash/trash_normal.png"), trash_icon(palette::idle));
    add(QStringLiteral("common/trash/trash_over.png"), trash_icon(palette::hover));
    add(QStringLiteral("common/trash/trash_down.png"), trash_icon(palette::accent));
    images += close_states(QStringLiteral("Close"));

    add(QStringLiteral("controls/quick_launch_setting.png"), quick_launch_badge());
    add(QStringLiteral("controls/Reset-Icon_normal.png"), reset_icon(palette::idle));
    add(QStringLiteral("controls/Reset-Icon_over.png"), reset_icon(palette::hover));

    add(QStringLiteral("mobile_app/Triangle-BG.png"), triangle_background());
    add(QStringLiteral("mobile_app/Triangles_BG.png"), corner_triangles());
    add(QStringLiteral("mobile_app/Smartphone-PC_icon.png"), phone_pc_icon());
    add(QStringLiteral("mobile_app/VORLA-CONNECT-Logo+Smartphone_graphic.png"), logo_graphic());
    add(QStringLiteral("mobile_app/Edit_icon_normal.png"), field_edit_icon(palette::idle));
    add(QStringLiteral("mobile_app/Edit_icon_over.png"), field_edit_icon(palette::hover));
    add(QStringLiteral("mobile_app/Edit_icon_active.png"), field_edit_icon(palette::accent));
    add(QStringLiteral("mobile_app/Status_LED_not-paired.png"), status_led(false));
    add(QStringLiteral("mobile_app/Status_LED_paired.png"), status_led(true));
    add(QStringLiteral("mobile_app/Divider_line.png"), divider(32));

    add(QStringLiteral("page_tab/tab_normal.png"), tab_picture(0));
    add(QStringLiteral("page_tab/tab_hover.png"), tab_picture(1));
    add(QStringLiteral("page_tab/tab_down.png"), tab_picture(2));

    add(QStringLiteral("profile/Empty_Profile_Icon_26x26.png"), empty_profile_icon());
    add(QStringLiteral("profile/button/auto_apply/active.png"), switch_picture(true));
    add(QStringLiteral("profile/button/auto_apply/inactive.png"), switch_picture(false));

    add(QStringLiteral("Slash.png"), slash());
    return images;
}
