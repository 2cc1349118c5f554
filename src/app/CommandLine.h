// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QCommandLineParser>
#include <QString>

namespace kivo {

// Kivo's command line: --state-folder, --verbose, --help and --version.
class CommandLine {
public:
    // --help and --version (in the user's language) are answered, and the program ended,
    // before anything needs a display.
    static void answerWithoutDisplay(int argc, char* argv[]);
    // The options, once the application object and the translations exist.
    void process(const QCoreApplication& app);

    QString stateFolder() const;
    bool verbose() const;

private:
    QCommandLineParser parser_;
};

// Names and version of the program, for the application object of either kind.
void setApplicationNames();

} // namespace kivo
