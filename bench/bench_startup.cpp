// SPDX-License-Identifier: GPL-3.0-or-later
// Start-up: process start to main window shown, offscreen, against a minimal widget program.
#include "Measure.h"

#include <QCoreApplication>
#include <QProcess>
#include <QTemporaryDir>

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    QTemporaryDir state; // the program finds no state files, as on a first start
    const auto run = [&](const char* program) {
        return kivo::bench::medianMs(11, [&] {
            QProcess process;
            QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
            environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
            process.setProcessEnvironment(environment);
            process.setWorkingDirectory(state.path());
            process.start(QString::fromLatin1(program), {});
            process.waitForFinished(30000);
        });
    };
    const double floorMs = run(STARTUP_FLOOR);
    const double kivoMs = run(STARTUP_KIVO);
    std::printf("Start-up to the main window shown (offscreen)\n");
    kivo::bench::report("Kivo main window", kivoMs, floorMs);
    return 0;
}
