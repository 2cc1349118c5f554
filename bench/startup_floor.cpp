// SPDX-License-Identifier: GPL-3.0-or-later
// The floor for start-up: the smallest Qt widget program that shows a window.
#include <QApplication>
#include <QTimer>
#include <QWidget>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QWidget window;
    window.resize(449, 300);
    window.show();
    QTimer::singleShot(0, &app, &QCoreApplication::quit);
    return QApplication::exec();
}
