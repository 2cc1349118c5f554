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

void person(QPainter& p, QPointF head, double scale, const QColor& colour) {
    p.setPen(QPen(colour.darker(140), 0.8));
    p.setBrush(colour);
    p.drawEllipse(head, 2.4 * scale, 2.4 * scale);
    QPainterPath body;
    const double w = 4.5 * scale;
    const QPointF base(head.x(), head.y() + 3.2 * scale);
    body.moveTo(base.x() - w, base.y() + 5.5 * scale);
    body.quadTo(base.x() - w, base.y(), base.x(), base.y());
    body.quadTo(base.x() + w, base.y(), base.x() + w, base.y() + 5.5 * scale);
    body.closeSubpath();
    p.drawPath(body);
}

// A speech bubble: the program's own picture.
void bubble(QPainter& p) {
    p.setPen(QPen(QColor(30, 90, 170), 0.8));
    p.setBrush(QColor(70, 140, 220));
    QPainterPath shape;
    shape.addRoundedRect(QRectF(1, 1.5, 14, 10), 3, 3);
    shape.moveTo(4, 11);
    shape.lineTo(3.5, 15);
    shape.lineTo(8, 11);
    p.drawPath(shape.simplified());
    p.setPen(Qt::NoPen);
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
    return painted([fill](QPainter& p) {
        p.setPen(QPen(EdgeGrey, 1));
        p.setBrush(fill);
        p.drawEllipse(QRectF(2.5, 2.5, 11, 11));
    });
}

QIcon addContact() {
    return painted([](QPainter& p) {
        person(p, {6, 4.5}, 1.0, QColor(90, 140, 210));
        p.setPen(QPen(QColor(40, 150, 60), 2.0, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(12.5, 8), QPointF(12.5, 14));
        p.drawLine(QPointF(9.5, 11), QPointF(15.5, 11));
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
        p.setPen(QPen(EdgeGrey, 0.8));
        p.setBrush(status);
        p.drawEllipse(QRectF(10, 10, 5.5, 5.5));
        if (attention) {
            p.setPen(QPen(Qt::white, 0.8));
            p.setBrush(QColor(220, 30, 30));
            p.drawEllipse(QRectF(10, 0.5, 5.5, 5.5));
        }
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
