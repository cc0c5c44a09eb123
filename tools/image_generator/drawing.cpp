#include "drawing.h"

#include <QPainterPathStroker>
#include <QtMath>

QColor with_alpha(QColor colour, int alpha)
{
    colour.setAlpha(alpha);
    return colour;
}

QImage new_canvas(int width, int height)
{
    QImage image(width, height, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    return image;
}

void smooth(QPainter &painter)
{
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
}

QLinearGradient button_gradient(const QPointF &from, const QPointF &to)
{
    QLinearGradient gradient(from, to);
    gradient.setColorAt(0, palette::blue_dark);
    gradient.setColorAt(1, palette::blue_light);
    return gradient;
}

image_list frame_pieces(const QString &folder, const frame_style &style)
{
    const int piece = 11;
    const int full = 3 * piece;
    QImage frame = new_canvas(full, full);
    {
        QPainter painter(&frame);
        smooth(painter);
        painter.setBrush(Qt::NoBrush);

        // The middle third of each gradient is exactly what the side pieces
        // hold, so a stretched side runs from the top colour to the bottom one
        // and meets the corners without a step.
        QLinearGradient rim(0, 0, 0, full);
        rim.setColorAt(0, style.rim_top);
        rim.setColorAt(1.0 / 3, style.rim_top);
        rim.setColorAt(2.0 / 3, style.rim_bottom);
        rim.setColorAt(1, style.rim_bottom);
        painter.setPen(QPen(QBrush(rim), 1));
        // Radius 7.5 on the half-pixel line puts the outer edge of the rim on
        // the panel's own 8-pixel rounding.
        painter.drawRoundedRect(QRectF(0.5, 0.5, full - 1, full - 1), 7.5, 7.5);

        QColor faded = style.highlight;
        faded.setAlpha(0);
        QColor half = style.highlight;
        half.setAlphaF(style.highlight.alphaF() * 0.35);
        QLinearGradient inner(0, 0, 0, full);
        inner.setColorAt(0, style.highlight);
        inner.setColorAt(1.0 / 3, half);
        inner.setColorAt(2.0 / 3, faded);
        inner.setColorAt(1, faded);
        painter.setPen(QPen(QBrush(inner), 1));
        painter.drawRoundedRect(QRectF(1.5, 1.5, full - 3, full - 3), 6.5, 6.5);

        if (style.top_glow.isValid()) {
            QColor clear = style.top_glow;
            clear.setAlpha(0);
            QLinearGradient along(0, 0, full, 0);
            along.setColorAt(0.12, clear);
            along.setColorAt(1.0 / 3, style.top_glow);
            along.setColorAt(2.0 / 3, style.top_glow);
            along.setColorAt(0.88, clear);
            painter.save();
            painter.setClipRect(QRectF(0, 0, full, 3));
            painter.setPen(QPen(QBrush(along), 1));
            painter.drawRoundedRect(QRectF(0.5, 0.5, full - 1, full - 1), 7.5, 7.5);
            painter.restore();
        }
    }

    struct cut
    {
        const char *name;
        int column;
        int row;
    };
    const cut cuts[] = {
        {"Corner_top_left", 0, 0},         {"top-border_scaleable", 1, 0},   {"Corner_top_right", 2, 0},
        {"left-border_scaleable", 0, 1},   {"right-border_scaleable", 2, 1}, {"Corner_bottom_left", 0, 2},
        {"bottom-border_scaleable", 1, 2}, {"Corner_bottom_right", 2, 2},
    };
    image_list pieces;
    for (const cut &c : cuts)
        pieces.append({folder + QLatin1Char('/') + QLatin1String(c.name) + QLatin1String(".png"),
                       frame.copy(c.column * piece, c.row * piece, piece, piece)});
    return pieces;
}

namespace {

// Small fixed-seed generator: the same seed must draw the same picture on
// every machine, which the standard distributions do not promise.
class jitter_source
{
public:
    explicit jitter_source(quint32 seed) : state(seed ? seed : 0x9e3779b9u) {}
    // Uniform in [-1, 1).
    qreal next()
    {
        state ^= state << 13;
        state ^= state >> 17;
        state ^= state << 5;
        return (state & 0xffffff) / qreal(0x800000) - 1.0;
    }

private:
    quint32 state;
};

} // namespace

void triangle_mesh(QPainter &painter, const QRectF &area, qreal cell, quint32 seed,
                   const std::function<QColor(const QPointF &)> &shade)
{
    const qreal row_height = cell * 0.8660254;
    // One spare row and column on every side: jittered points on the border
    // would otherwise leave slivers of the area uncovered.
    const QPointF origin = area.topLeft() - QPointF(cell, row_height);
    const int columns = int(std::ceil(area.width() / cell)) + 3;
    const int rows = int(std::ceil(area.height() / row_height)) + 2;
    jitter_source jitter(seed);

    QVector<QVector<QPointF>> points(rows + 1);
    for (int r = 0; r <= rows; ++r) {
        for (int c = 0; c <= columns; ++c) {
            // Odd rows are shifted by half a cell, which turns the grid into
            // near-equilateral triangles.
            qreal x = origin.x() + (c - ((r % 2) ? 0.5 : 0.0)) * cell;
            qreal y = origin.y() + r * row_height;
            x += jitter.next() * cell * 0.28;
            y += jitter.next() * row_height * 0.28;
            points[r].append(QPointF(x, y));
        }
    }

    // Colour and coverage are painted into two opaque layers and joined
    // afterwards: painting translucent facets directly would double the alpha
    // wherever the seam-closing hairlines overlap.
    const QSize layer_size(int(std::ceil(area.width())), int(std::ceil(area.height())));
    QImage colour_layer(layer_size, QImage::Format_RGB32);
    QImage alpha_layer(layer_size, QImage::Format_RGB32);
    colour_layer.fill(Qt::black);
    alpha_layer.fill(Qt::black);
    {
        QPainter colour_painter(&colour_layer);
        QPainter alpha_painter(&alpha_layer);
        for (QPainter *p : {&colour_painter, &alpha_painter}) {
            smooth(*p);
            p->translate(-area.topLeft());
        }
        auto fill = [&](const QPointF &a, const QPointF &b, const QPointF &c) {
            const QColor colour = shade((a + b + c) / 3.0);
            if (colour.alpha() == 0)
                return;
            const QPointF corners[3] = {a, b, c};
            const QColor opaque = QColor(colour.red(), colour.green(), colour.blue());
            const QColor coverage = QColor(colour.alpha(), colour.alpha(), colour.alpha());
            // A hairline of the facet's own colour closes the antialiasing
            // seams between neighbours.
            colour_painter.setPen(QPen(opaque, 0.8));
            colour_painter.setBrush(opaque);
            colour_painter.drawPolygon(corners, 3);
            alpha_painter.setPen(QPen(coverage, 0.8));
            alpha_painter.setBrush(coverage);
            alpha_painter.drawPolygon(corners, 3);
        };
        for (int r = 0; r < rows; ++r) {
            const QVector<QPointF> &top = points[r];
            const QVector<QPointF> &bottom = points[r + 1];
            for (int c = 0; c < columns; ++c) {
                if (r % 2 == 0) {
                    fill(top[c], top[c + 1], bottom[c + 1]);
                    fill(top[c], bottom[c], bottom[c + 1]);
                } else {
                    fill(top[c], top[c + 1], bottom[c]);
                    fill(top[c + 1], bottom[c], bottom[c + 1]);
                }
            }
        }
    }

    QImage field(layer_size, QImage::Format_ARGB32);
    for (int y = 0; y < layer_size.height(); ++y) {
        const QRgb *colour = reinterpret_cast<const QRgb *>(colour_layer.constScanLine(y));
        const QRgb *alpha = reinterpret_cast<const QRgb *>(alpha_layer.constScanLine(y));
        QRgb *out = reinterpret_cast<QRgb *>(field.scanLine(y));
        for (int x = 0; x < layer_size.width(); ++x)
            out[x] = qRgba(qRed(colour[x]), qGreen(colour[x]), qBlue(colour[x]), qRed(alpha[x]));
    }
    painter.drawImage(area.topLeft(), field);
}

QPainterPath pencil_path(const QPointF &tip, qreal length, qreal width)
{
    const qreal half = width / 2;
    const qreal cone = length * 0.26;
    const qreal cap = length * 0.17;
    const qreal gap = width * 0.3;
    QPainterPath local;
    local.moveTo(0, 0);
    local.lineTo(cone, -half);
    local.lineTo(cone, half);
    local.closeSubpath();
    local.addRect(QRectF(cone + gap, -half, length - cone - cap - 2 * gap, width));
    local.addRect(QRectF(length - cap, -half, cap, width));
    QTransform transform;
    transform.translate(tip.x(), tip.y());
    transform.rotate(-45);
    return transform.map(local);
}

QPainterPath arrow_head(const QRectF &box, bool up)
{
    QPainterPath path;
    const qreal tip_y = up ? box.top() : box.bottom();
    const qreal base_y = up ? box.bottom() : box.top();
    path.moveTo(box.left(), base_y);
    path.lineTo(box.center().x(), tip_y);
    path.lineTo(box.right(), base_y);
    path.closeSubpath();
    return path;
}

QPainterPath cross_path(const QRectF &box, qreal stroke)
{
    QPainterPath lines;
    lines.moveTo(box.topLeft());
    lines.lineTo(box.bottomRight());
    lines.moveTo(box.topRight());
    lines.lineTo(box.bottomLeft());
    QPainterPathStroker stroker;
    stroker.setWidth(stroke);
    stroker.setCapStyle(Qt::FlatCap);
    return stroker.createStroke(lines).simplified();
}

QPainterPath smartphone_path(const QRectF &body, qreal radius)
{
    const qreal bezel = body.width() * 0.09;
    QPainterPath path;
    path.addRoundedRect(body, radius, radius);
    path.addRect(body.adjusted(bezel, body.height() * 0.11, -bezel, -body.height() * 0.13));
    // Speaker slot and home button, cut out of the body.
    const qreal slot = body.width() * 0.28;
    path.addRoundedRect(
        QRectF(body.center().x() - slot / 2, body.top() + body.height() * 0.045, slot, body.height() * 0.025),
        1, 1);
    const qreal button = body.width() * 0.13;
    path.addEllipse(QPointF(body.center().x(), body.bottom() - body.height() * 0.065), button / 2,
                    button / 2);
    return path;
}
