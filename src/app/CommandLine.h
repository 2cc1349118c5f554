// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QCommandLineParser>
#include <QString>

namespace kivo {

// Kivo's command line: --state-folder, --verbose, --help and --version.
class CommandLine {
public:
    CommandLine();

    // --help and --version (and a mistake in the options) are answered, and the program
    // ended, before anything needs a display.
    void answerWithoutDisplay(int argc, char* argv[]);
    // The options, once the application object exists.
    void process(const QCoreApplication& app);

    QString stateFolder() const;
    bool verbose() const;

private:
    QCommandLineParser parser_;
    QCommandLineOption stateFolder_;
    QCommandLineOption verbose_;
};

// Names and version of the program, for the application object of either kind.
void setApplicationNames();

} // namespace kivo
