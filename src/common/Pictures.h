// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QColor>
#include <QIcon>

class QLabel;
class QWidget;

namespace kivo {

// The program's own pictures, painted in code at whatever size and pixel density the screen
// asks for, so they stay crisp on high-DPI screens.
namespace Pictures {

QIcon triangleRight(); // collapsed category
QIcon triangleDown();  // expanded category
QIcon disc(const QColor& fill);
QIcon addContact();     // toolbar "icon11"
QIcon joinConference(); // toolbar "icon18"
QIcon application();
// The program's picture with a status disc in its corner, and a red mark while a message waits.
QIcon notificationArea(const QColor& status, bool attention);

inline const QColor OnlineYellow{255, 220, 120};
inline const QColor OfflineGrey{200, 200, 200};

// A status picture of the main window: a disc in a label, named, where the design has it.
QLabel* statusPicture(QWidget* parent, const QString& name, const QColor& fill);

} // namespace Pictures
} // namespace kivo
