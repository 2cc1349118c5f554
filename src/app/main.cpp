#include "Form1.h"
#include "Pictures.h"
#include "QtMessageBoxes.h"

#include <QApplication>
#include <QFontDatabase>

namespace {

// The windows are laid out in fixed twips for a compact 8-point interface font; an
// Arial-metric face keeps every caption inside its control.
void useInterfaceFont() {
    QFont font = QApplication::font();
    if (QFontDatabase::families().contains(QStringLiteral("Liberation Sans")))
        font.setFamily(QStringLiteral("Liberation Sans"));
    font.setPointSize(8);
    QApplication::setFont(font);
}

} // namespace

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Kivo"));
    QApplication::setWindowIcon(kivo::Pictures::application());
    useInterfaceFont();
    kivo::QtMessageBoxes boxes;
    kivo::MessageBoxes::install(&boxes);
    kivo::Form1 window;
    window.show();
    return QApplication::exec();
}
