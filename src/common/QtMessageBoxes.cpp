// SPDX-License-Identifier: GPL-3.0-or-later
#include "QtMessageBoxes.h"

#include <QApplication>

namespace kivo {
namespace {

QString shownText(QString text) {
    return text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
}

} // namespace

QMessageBox::StandardButton QtMessageBoxes::show(QMessageBox::Icon icon, const QString& text,
                                                 const QString& title,
                                                 QMessageBox::StandardButtons buttons,
                                                 QMessageBox::StandardButton defaultButton) {
    QWidget* parent = QApplication::activeModalWidget();
    if (!parent)
        parent = QApplication::activeWindow();
    // On the heap: the window it is over may close while it is open, and takes it along.
    const QPointer<QMessageBox> box = new QMessageBox(icon, title, shownText(text), buttons, parent);
    box->setTextFormat(Qt::PlainText);
    if (defaultButton != QMessageBox::NoButton)
        box->setDefaultButton(defaultButton);
    open_.append(box);
    const int result = box->exec();
    open_.removeAll(box);
    if (!box)
        return QMessageBox::NoButton; // taken along: No, the answer that changes nothing
    delete box;
    return static_cast<QMessageBox::StandardButton>(result);
}

void QtMessageBoxes::warning(const QString& text, const QString& title) {
    show(QMessageBox::Warning, text, title, QMessageBox::Ok);
}

bool QtMessageBoxes::question(const QString& text, const QString& title) {
    return show(QMessageBox::Question, text, title, QMessageBox::Yes | QMessageBox::No) ==
           QMessageBox::Yes;
}

bool QtMessageBoxes::riskyQuestion(const QString& text, const QString& title) {
    return show(QMessageBox::Question, text, title, QMessageBox::Yes | QMessageBox::No,
                QMessageBox::No) == QMessageBox::Yes;
}

void QtMessageBoxes::retext(const QString& text, const QString& title, const QString& newText) {
    for (const QPointer<QMessageBox>& box : std::as_const(open_)) {
        if (box && box->windowTitle() == title && box->text() == shownText(text)) {
            box->setText(shownText(newText));
            return;
        }
    }
}

} // namespace kivo
