// SPDX-License-Identifier: GPL-3.0-or-later
#include "Pictures.h"

#include "Twips.h"

#include <QIconEngine>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <functional>

namespace kivo::Pictures {
namespace {

using Painter = std::function<void(QPainter&)>;

// Paints on a 16 x 16 design grid scaled to the requested rectangle.
class PaintedIcon final : public QIconEngine {
public:
    explicit PaintedIcon(Painter paint)
        : paint_(std::move(paint)) {}

    void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode, QIcon::State) override {
        painter->save();
        painter->setRenderHint(QPainter::Antialiasing);
        painter->translate(rect.topLeft());
        painter->scale(rect.width() / 16.0, rect.height() / 16.0);
        if (mode == QIcon::Disabled)
            painter->setOpacity(0.4);
        paint_(*painter);
        painter->restore();
    }

    QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override {
        QPixmap pixmap(size);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        paint(&painter, QRect(QPoint(), size), mode, state);
        return pixmap;
    }

    QIconEngine* clone() const override { return new PaintedIcon(paint_); }

private:
    Painter paint_;
};

QIcon painted(Painter paint) {
    return QIcon(new PaintedIcon(std::move(paint)));
}

const QColor Dark{64, 64, 64};
const QColor EdgeGrey{128, 128, 128};

void triangle(QPainter& p, QPolygonF shape) {
    p.setPen(Qt::NoPen);
    p.setBrush(Dark);
    p.drawPolygon(shape);
}

// A shape with an edge `edge` wide, centred on its outline as a pen would draw it, made of two
// fills: the shape grown by half the edge, then shrunk by half the edge. Qt's stroker would
// join the lines with arc tangents, which keep pages of the maths library in memory for as
// long as Kivo runs.
void outlined(QPainter& p, const QPainterPath& shape, double edge, const QColor& edgeColour,
              const QColor& fill) {
    const QRectF box = shape.boundingRect();
    const auto scaled = [&](double by) {
        return QTransform::fromTranslate(box.center().x(), box.center().y())
            .scale((box.width() + by) / box.width(), (box.height() + by) / box.height())
            .translate(-box.center().x(), -box.center().y())
            .map(shape);
    };
    p.setPen(Qt::NoPen);
    p.setBrush(edgeColour);
    p.drawPath(scaled(edge));
    p.setBrush(fill);
    p.drawPath(scaled(-edge));
}

void outlinedCircle(QPainter& p, QPointF centre, double radius, double edge,
                    const QColor& edgeColour, const QColor& fill) {
    QPainterPath circle;
    circle.addEllipse(centre, radius, radius);
    outlined(p, circle, edge, edgeColour, fill);
}

void person(QPainter& p, QPointF head, double scale, const QColor& colour) {
    outlinedCircle(p, head, 2.4 * scale, 0.8, colour.darker(140), colour);
    QPainterPath body;
    const double w = 4.5 * scale;
    const QPointF base(head.x(), head.y() + 3.2 * scale);
    body.moveTo(base.x() - w, base.y() + 5.5 * scale);
    body.quadTo(base.x() - w, base.y(), base.x(), base.y());
    body.quadTo(base.x() + w, base.y(), base.x() + w, base.y() + 5.5 * scale);
    body.closeSubpath();
    outlined(p, body, 0.8, colour.darker(140), colour);
}

// A speech bubble: the program's own picture.
void bubble(QPainter& p) {
    QPainterPath shape;
    shape.addRoundedRect(QRectF(1, 1.5, 14, 10), 3, 3);
    shape.moveTo(4, 11);
    shape.lineTo(3.5, 15);
    shape.lineTo(8, 11);
    outlined(p, shape.simplified(), 0.8, QColor(30, 90, 170), QColor(70, 140, 220));
    p.setBrush(Qt::white);
    for (const double x : {4.5, 8.0, 11.5})
        p.drawEllipse(QPointF(x, 6.5), 1.2, 1.2);
}

} // namespace

QIcon triangleRight() {
    return painted([](QPainter& p) { triangle(p, QPolygonF({{5, 3}, {12, 8}, {5, 13}})); });
}

QIcon triangleDown() {
    return painted([](QPainter& p) { triangle(p, QPolygonF({{3, 5}, {13, 5}, {8, 12}})); });
}

QIcon disc(const QColor& fill) {
    return painted([fill](QPainter& p) { outlinedCircle(p, {8, 8}, 5.5, 1, EdgeGrey, fill); });
}

QIcon addContact() {
    return painted([](QPainter& p) {
        person(p, {6, 4.5}, 1.0, QColor(90, 140, 210));
        // Two strokes with round ends.
        QPainterPath plus;
        plus.addRoundedRect(QRectF(11.5, 7, 2, 8), 1, 1);
        plus.addRoundedRect(QRectF(8.5, 10, 8, 2), 1, 1);
        plus.setFillRule(Qt::WindingFill);
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(40, 150, 60));
        p.drawPath(plus);
    });
}

QIcon joinConference() {
    return painted([](QPainter& p) {
        person(p, {10.5, 4.5}, 0.9, QColor(230, 170, 70));
        person(p, {5.5, 6}, 1.0, QColor(90, 140, 210));
    });
}

QIcon application() {
    return painted(bubble);
}

QIcon notificationArea(const QColor& status, bool attention) {
    return painted([status, attention](QPainter& p) {
        bubble(p);
        outlinedCircle(p, {12.75, 12.75}, 2.75, 0.8, EdgeGrey, status);
        if (attention)
            outlinedCircle(p, {12.75, 3.25}, 2.75, 0.8, Qt::white, QColor(220, 30, 30));
    });
}

QLabel* statusPicture(QWidget* parent, const QString& name, const QColor& fill) {
    auto* picture = new QLabel(parent);
    picture->setObjectName(name);
    picture->setGeometry(twipsRect(0, 4200, 240, 240));
    picture->setPixmap(disc(fill).pixmap(QSize(16, 16), parent->devicePixelRatioF()));
    return picture;
}

} // namespace kivo::Pictures
