// Stroke-built capitals for the product name and the product mark.
#include "drawing.h"

#include <QLineF>
#include <QPainterPathStroker>

namespace {

using polyline = QVector<QPointF>;

qreal glyph_width(QChar letter)
{
    switch (letter.unicode()) {
    case 'V':
    case 'O':
        return 0.86;
    case 'A':
    case 'N':
        return 0.84;
    case 'R':
        return 0.8;
    case 'C':
        return 0.78;
    case 'T':
        return 0.76;
    case 'E':
        return 0.7;
    case 'L':
        return 0.66;
    default:
        return 0.45;
    }
}

// Point b moved further along the direction a -> b; open stroke ends are run
// past the glyph box and cut off by it, which gives every end a flat cut.
QPointF beyond(const QPointF &a, const QPointF &b, qreal distance)
{
    QLineF line(a, b);
    line.setLength(line.length() + distance);
    return line.p2();
}

// Centre lines of one letter in a w x h box drawn with stroke s.
QVector<polyline> glyph_strokes(QChar letter, qreal w, qreal h, qreal s)
{
    const qreal l = s / 2, r = w - s / 2, t = s / 2, b = h - s / 2;
    const qreal c = h * 0.26; // chamfer of the squared letters
    const qreal out = s * 2;
    const qreal middle = h * 0.5;
    switch (letter.unicode()) {
    case 'V': {
        const QPointF apex(w / 2, b + s * 0.2);
        const QPointF left(s * 0.55, t), right(w - s * 0.55, t);
        return {{beyond(apex, left, out), apex, beyond(apex, right, out)}};
    }
    case 'O':
        return {{{l + c, t},
                 {r - c, t},
                 {r, t + c},
                 {r, b - c},
                 {r - c, b},
                 {l + c, b},
                 {l, b - c},
                 {l, t + c},
                 {l + c, t},
                 {r - c, t}}};
    case 'R': {
        const qreal bowl = h * 0.54;
        return {{{l, b + out},
                 {l, t},
                 {r - c, t},
                 {r, t + c},
                 {r, bowl - c * 0.7},
                 {r - c * 0.7, bowl},
                 {l, bowl}},
                {{w * 0.5, bowl}, beyond({w * 0.5, bowl}, {r, b}, out)}};
    }
    case 'L':
        return {{{l, -out}, {l, b}, {w + out, b}}};
    case 'A': {
        const qreal bar = h * 0.58;
        return {{{l, h + out}, {l, t + c}, {l + c, t}, {r - c, t}, {r, t + c}, {r, h + out}},
                {{l, bar}, {r, bar}}};
    }
    case 'C':
        return {{{w + out, t}, {l + c, t}, {l, t + c}, {l, b - c}, {l + c, b}, {w + out, b}}};
    case 'N':
        return {{{l, h + out}, {l, t}, {r, b}, {r, -out}}};
    case 'E':
        return {{{w + out, t}, {l, t}, {l, b}, {w + out, b}}, {{l, middle}, {w * 0.86, middle}}};
    case 'T':
        return {{{-out, t}, {w + out, t}}, {{w / 2, t}, {w / 2, h + out}}};
    default:
        return {};
    }
}

} // namespace

qreal lettering_width(const QString &word, qreal cap_height, qreal tracking)
{
    qreal width = 0;
    for (int i = 0; i < word.size(); ++i)
        width += glyph_width(word.at(i)) * cap_height + (i + 1 < word.size() ? tracking : 0);
    return width;
}

QPainterPath lettering(const QString &word, qreal cap_height, qreal stroke, qreal tracking)
{
    QPainterPathStroker stroker;
    stroker.setWidth(stroke);
    stroker.setCapStyle(Qt::SquareCap);
    stroker.setJoinStyle(Qt::MiterJoin);
    stroker.setMiterLimit(8);

    QPainterPath result;
    qreal x = 0;
    for (const QChar letter : word) {
        const qreal w = glyph_width(letter) * cap_height;
        QPainterPath centre;
        for (const polyline &line : glyph_strokes(letter, w, cap_height, stroke)) {
            centre.moveTo(line.first());
            for (int i = 1; i < line.size(); ++i)
                centre.lineTo(line.at(i));
        }
        if (!centre.isEmpty()) {
            QPainterPath box;
            box.addRect(QRectF(0, 0, w, cap_height));
            // The stroker's overlapping pieces must be merged before the cut, or
            // the boolean operation leaves holes where they cross.
            QPainterPath outline = stroker.createStroke(centre);
            outline.setFillRule(Qt::WindingFill);
            result.addPath(outline.simplified().intersected(box).translated(x, 0));
        }
        x += w + tracking;
    }
    return result;
}

void draw_vorla_mark(QPainter &painter, const QRectF &box)
{
    const qreal s = box.width();
    auto at = [&](qreal u, qreal v) { return QPointF(box.left() + u * s, box.top() + v * s); };

    // Two wings meeting at the foot of the V; their inner edges run parallel to
    // the outer ones and meet at the hub, from which the signal arcs spread.
    const QPointF hub = at(0.5, 0.624);
    QPainterPath left_wing;
    left_wing.moveTo(at(0.0, 0.12));
    left_wing.lineTo(at(0.2, 0.12));
    left_wing.lineTo(hub);
    left_wing.lineTo(at(0.5, 0.96));
    left_wing.closeSubpath();
    QPainterPath right_wing;
    right_wing.moveTo(at(1.0, 0.12));
    right_wing.lineTo(at(0.8, 0.12));
    right_wing.lineTo(hub);
    right_wing.lineTo(at(0.5, 0.96));
    right_wing.closeSubpath();

    painter.save();
    painter.setPen(Qt::NoPen);
    painter.setBrush(button_gradient(at(0, 0.96), at(0, 0.12)));
    painter.drawPath(left_wing);
    QLinearGradient light(at(0, 0.96), at(0, 0.12));
    light.setColorAt(0, palette::accent);
    light.setColorAt(1, QColor(0xc9, 0xeb, 0xff));
    painter.setBrush(light);
    painter.drawPath(right_wing);

    painter.setBrush(Qt::NoBrush);
    QPen arc_pen(palette::accent, s * 0.065, Qt::SolidLine, Qt::FlatCap);
    painter.setPen(arc_pen);
    for (qreal radius : {0.17, 0.3}) {
        const qreal r = radius * s;
        // Qt angles are in 1/16 degree, counter-clockwise from three o'clock.
        painter.drawArc(QRectF(hub.x() - r, hub.y() - r, 2 * r, 2 * r), (90 - 21) * 16, 42 * 16);
    }
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(0xc9, 0xeb, 0xff));
    painter.drawEllipse(QPointF(hub.x(), hub.y() - s * 0.055), s * 0.042, s * 0.042);
    painter.restore();
}
