// SPDX-License-Identifier: GPL-3.0-or-later
#include "CommandLine.h"

#include "Translations.h"

#include <QCoreApplication>

namespace kivo {
namespace {

const QString StateFolderOption = QStringLiteral("state-folder");
const QString VerboseOption = QStringLiteral("verbose");

// Declared once the translations are installed: the descriptions are shown by --help.
void declareOptions(QCommandLineParser& parser) {
    parser.setApplicationDescription(
        QCoreApplication::translate("kivo", "An instant-messaging client for the Veltra network."));
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addOption(
        {StateFolderOption,
         QCoreApplication::translate(
             "kivo", "Keep the state files (contacts, settings, login) in this folder."),
         QStringLiteral("folder")});
    parser.addOption({VerboseOption,
                      QCoreApplication::translate(
                          "kivo", "Log connection, file and start-up events on standard error.")});
}

} // namespace

void setApplicationNames() {
    QCoreApplication::setApplicationName(QStringLiteral("Kivo"));
    QCoreApplication::setApplicationVersion(QStringLiteral(KIVO_VERSION));
}

void CommandLine::answerWithoutDisplay(int argc, char* argv[]) {
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments.append(QString::fromLocal8Bit(argv[i]));
    // Qt's own options (-platform ...) are not known here: only the answers that end the
    // program are looked for, and a mistyped option when there is no display to start on
    // (Qt would abort for want of one before the mistake could be said).
    QCommandLineParser early;
    declareOptions(early);
    const bool understood = early.parse(arguments);
    const bool noDisplay = qEnvironmentVariableIsEmpty("DISPLAY") &&
                           qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") &&
                           qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") &&
                           !arguments.contains(QStringLiteral("-platform"));
    if (!early.isSet(QStringLiteral("help")) && !early.isSet(QStringLiteral("version")) &&
        !early.isSet(QStringLiteral("help-all")) && (understood || !noDisplay))
        return;
    QCoreApplication core(argc, argv);
    setApplicationNames();
    installTranslations(core);
    QCommandLineParser parser;
    declareOptions(parser);
    parser.process(core); // prints the answer or the mistake and ends the program
}

void CommandLine::process(const QCoreApplication& app) {
    declareOptions(parser_);
    parser_.process(app);
}

QString CommandLine::stateFolder() const {
    return parser_.value(StateFolderOption);
}

bool CommandLine::verbose() const {
    return parser_.isSet(VerboseOption);
}

} // namespace kivo
