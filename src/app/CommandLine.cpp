// SPDX-License-Identifier: GPL-3.0-or-later
#include "CommandLine.h"

#include <QCoreApplication>

namespace kivo {

void setApplicationNames() {
    QCoreApplication::setApplicationName(QStringLiteral("Kivo"));
    QCoreApplication::setApplicationVersion(QStringLiteral(KIVO_VERSION));
}

CommandLine::CommandLine()
    : stateFolder_(QStringLiteral("state-folder"),
                   QCoreApplication::translate(
                       "kivo", "Keep the state files (contacts, settings, login) in this folder."),
                   QStringLiteral("folder"))
    , verbose_(QStringLiteral("verbose"),
               QCoreApplication::translate(
                   "kivo", "Log connection, file and start-up events on standard error.")) {
    parser_.setApplicationDescription(
        QCoreApplication::translate("kivo", "An instant-messaging client for the Veltra network."));
    parser_.addHelpOption();
    parser_.addVersionOption();
    parser_.addOption(stateFolder_);
    parser_.addOption(verbose_);
}

void CommandLine::answerWithoutDisplay(int argc, char* argv[]) {
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments.append(QString::fromLocal8Bit(argv[i]));
    // Qt's own options (-platform ...) are not known here: only the answers that end the
    // program are looked for.
    QCommandLineParser early;
    early.addHelpOption();
    early.addVersionOption();
    early.parse(arguments);
    if (!early.isSet(QStringLiteral("help")) && !early.isSet(QStringLiteral("version")) &&
        !early.isSet(QStringLiteral("help-all")))
        return;
    QCoreApplication core(argc, argv);
    setApplicationNames();
    parser_.process(core); // prints the answer and ends the program
}

void CommandLine::process(const QCoreApplication& app) {
    parser_.process(app);
}

QString CommandLine::stateFolder() const {
    return parser_.value(stateFolder_);
}

bool CommandLine::verbose() const {
    return parser_.isSet(verbose_);
}

} // namespace kivo
