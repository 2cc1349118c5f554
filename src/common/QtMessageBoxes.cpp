#include "QtMessageBoxes.h"

#include <QApplication>
#include <QMessageBox>

namespace kivo {
namespace {

QMessageBox::StandardButton showBox(QMessageBox::Icon icon, const QString& text,
                                    const QString& title, QMessageBox::StandardButtons buttons) {
    QWidget* parent = QApplication::activeModalWidget();
    if (!parent)
        parent = QApplication::activeWindow();
    QString shown = text;
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    QMessageBox box(icon, title, shown, buttons, parent);
    box.setTextFormat(Qt::PlainText);
    return static_cast<QMessageBox::StandardButton>(box.exec());
}

} // namespace

void QtMessageBoxes::warning(const QString& text, const QString& title) {
    showBox(QMessageBox::Warning, text, title, QMessageBox::Ok);
}

bool QtMessageBoxes::question(const QString& text, const QString& title) {
    return showBox(QMessageBox::Question, text, title, QMessageBox::Yes | QMessageBox::No) ==
           QMessageBox::Yes;
}

} // namespace kivo
