#include "Form1.h"
#include "Pictures.h"
#include "QtMessageBoxes.h"

#include <QApplication>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Kivo"));
    QApplication::setWindowIcon(kivo::Pictures::application());
    kivo::QtMessageBoxes boxes;
    kivo::MessageBoxes::install(&boxes);
    kivo::Form1 window;
    window.show();
    return QApplication::exec();
}
