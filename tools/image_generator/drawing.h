// Shared palette and drawing helpers of the image generator.
#ifndef VORLA_IMAGE_GENERATOR_DRAWING_H
#define VORLA_IMAGE_GENERATOR_DRAWING_H

#include <QColor>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QString>
#include <QVector>

#include <functional>

// One picture and its path relative to the graphics directory it belongs to.
struct generated_image
{
    QString path;
    QImage image;
};
using image_list = QVector<generated_image>;

// The one dark look every picture shares. Icons use three tones for their
// states: grey when idle, light grey under the pointer, accent when pressed or
// active; an "over" picture that also stands for the pressed state takes the
// accent.
namespace palette {
inline const QColor black(0, 0, 0);
inline const QColor surface_0(0x10, 0x10, 0x10);
inline const QColor surface_1(0x1a, 0x1a, 0x1a);
inline const QColor surface_2(0x26, 0x26, 0x26);
inline const QColor surface_3(0x2a, 0x2a, 0x2a);
inline const QColor line_dark(0x30, 0x30, 0x30);
inline const QColor idle(0x69, 0x69, 0x69);
inline const QColor hover(0xbc, 0xbc, 0xbc);
inline const QColor accent(0x65, 0xc3, 0xf7);
inline const QColor blue_dark(0, 127, 195);
inline const QColor blue_light(89, 181, 233);
inline const QColor blue_border(95, 187, 240);
inline const QColor white(0xf4, 0xf4, 0xf4);
} // namespace palette

QColor with_alpha(QColor colour, int alpha);

// Transparent canvas ready for premultiplied painting.
QImage new_canvas(int width, int height);

// Painter with antialiasing on; the canvas must outlive it.
void smooth(QPainter &painter);

// The blue of the push buttons, running from `from` to `to`.
QLinearGradient button_gradient(const QPointF &from, const QPointF &to);

// Looks of an eleven-pixel frame drawn around a rounded panel.
struct frame_style
{
    QColor rim_top;
    QColor rim_bottom;
    QColor highlight; // inner line just inside the rim, strongest at the top
    QColor top_glow;  // optional accent hairline along the top edge
};

// The eight frame pieces (four corners, four stretchable edges), named as the
// style sheets expect, under `folder`.
image_list frame_pieces(const QString &folder, const frame_style &style);

// Low-poly field: jittered grid of triangles, each filled with shade(centre).
// A fully transparent shade skips the triangle.
void triangle_mesh(QPainter &painter, const QRectF &area, qreal cell, quint32 seed,
                   const std::function<QColor(const QPointF &)> &shade);

// Glyphs shared by several icons.
QPainterPath pencil_path(const QPointF &tip, qreal length, qreal width);
QPainterPath arrow_head(const QRectF &box, bool up);
QPainterPath cross_path(const QRectF &box, qreal stroke);
QPainterPath smartphone_path(const QRectF &body, qreal radius);

// Our own lettering, built from strokes, so the pictures never depend on the
// fonts installed on the machine that runs the generator. Supports the
// letters of "VORLA CONNECT"; the baseline is at y = cap_height.
QPainterPath lettering(const QString &word, qreal cap_height, qreal stroke, qreal tracking);
qreal lettering_width(const QString &word, qreal cap_height, qreal tracking);

// The product mark: a V of two wings under two signal arcs, in a size x size box.
void draw_vorla_mark(QPainter &painter, const QRectF &box);

image_list module_images();
image_list host_images();

// Every picture on a dark and on a light swatch with its path and size.
QImage contact_sheet(const image_list &module, const image_list &host);

#endif
