#include "Form1.h"
#include "Pictures.h"
#include "QtMessageBoxes.h"
#include "StateFiles.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
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
    kivo::reportFileSizeLimitAsError();
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Kivo"));
    QApplication::setWindowIcon(kivo::Pictures::application());
    useInterfaceFont();

    // A second client on the same machine needs its own state files.
    QCommandLineParser parser;
    parser.addHelpOption();
    const QCommandLineOption stateFolder(
        QStringLiteral("state-folder"),
        QStringLiteral("Keep the state files (contacts, settings, login) in this folder."),
        QStringLiteral("folder"));
    parser.addOption(stateFolder);
    parser.process(app);
    if (parser.isSet(stateFolder)) {
        const QString folder = QDir(parser.value(stateFolder)).absolutePath();
        QDir().mkpath(folder);
        kivo::StateFolder::setPath(folder);
    }

    kivo::QtMessageBoxes boxes;
    kivo::MessageBoxes::install(&boxes);
    kivo::Form1 window;
    window.show();
    return QApplication::exec();
}
