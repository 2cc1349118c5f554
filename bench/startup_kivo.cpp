// SPDX-License-Identifier: GPL-3.0-or-later
// Starts the main window as the program does and ends once it has been shown.
#include "Form1.h"

#include <QApplication>
#include <QTimer>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    kivo::Form1 window;
    window.show();
    QTimer::singleShot(0, &app, &QCoreApplication::quit);
    return QApplication::exec();
}
