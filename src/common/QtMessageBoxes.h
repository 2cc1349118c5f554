// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "MessageBoxes.h"

#include <QList>
#include <QMessageBox>
#include <QPointer>

namespace kivo {

// The desktop's message boxes: modal over the active window, text always shown as plain
// text (a receiver's name from the server must never be taken for markup).
class QtMessageBoxes final : public MessageBoxes {
public:
    void warning(const QString& text, const QString& title) override;
    bool question(const QString& text, const QString& title) override;
    bool riskyQuestion(const QString& text, const QString& title) override;
    void retext(const QString& text, const QString& title, const QString& newText) override;

private:
    QMessageBox::StandardButton
    show(QMessageBox::Icon icon, const QString& text, const QString& title,
         QMessageBox::StandardButtons buttons,
         QMessageBox::StandardButton defaultButton = QMessageBox::NoButton);

    QList<QPointer<QMessageBox>> open_;
};

} // namespace kivo
