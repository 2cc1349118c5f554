// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "Twips.h"

#include <QString>
#include <QWidget>
#include <functional>

namespace kivo {

// Names a control (its objectName, which tests and styles use) and puts it where the
// window's design has it, in twips.
template <typename Control>
Control* placed(Control* control, const char* name, const QRect& twips) {
    control->setObjectName(QString::fromLatin1(name));
    control->setGeometry(twipsRect(twips.x(), twips.y(), twips.width(), twips.height()));
    return control;
}

// A window caption that shows the text exactly: Qt would take "[*]" for its modified
// marker, and "[*][*]" shows it as written.
inline void setPlainWindowTitle(QWidget* window, QString title) {
    window->setWindowTitle(title.replace(QStringLiteral("[*]"), QStringLiteral("[*][*]")));
}

// Enter (either key) in this widget is swallowed and runs the action instead.
void onEnterKey(QWidget* widget, std::function<void()> action);

} // namespace kivo
