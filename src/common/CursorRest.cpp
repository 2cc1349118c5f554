// SPDX-License-Identifier: GPL-3.0-or-later
#include "CursorRest.h"

#include <QCoreApplication>
#include <QEvent>
#include <QGuiApplication>
#include <QStyleHints>

namespace kivo {

CursorRest::CursorRest(QObject* parent)
    : QObject(parent)
    , flashTime_(QGuiApplication::styleHints()->cursorFlashTime()) {
    idle_.setSingleShot(true);
    idle_.setInterval(RestAfterMs);
    connect(&idle_, &ClockTimer::timeout, this, &CursorRest::rest);
    QCoreApplication::instance()->installEventFilter(this);
    idle_.start();
}

CursorRest::~CursorRest() {
    if (resting_)
        QGuiApplication::styleHints()->setCursorFlashTime(flashTime_);
}

bool CursorRest::eventFilter(QObject*, QEvent* event) {
    switch (event->type()) {
    case QEvent::KeyPress:
    case QEvent::MouseButtonPress:
    case QEvent::InputMethod:
        if (std::exchange(resting_, false))
            QGuiApplication::styleHints()->setCursorFlashTime(flashTime_);
        idle_.start();
        break;
    default:
        break;
    }
    return false;
}

void CursorRest::rest() {
    // A flash time of 0 shows the cursor steadily and stops its timer.
    resting_ = true;
    QGuiApplication::styleHints()->setCursorFlashTime(0);
}

} // namespace kivo
