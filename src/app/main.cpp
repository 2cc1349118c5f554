// SPDX-License-Identifier: GPL-3.0-or-later
#include "CommandLine.h"
#include "CursorRest.h"
#include "Form1.h"
#include "Log.h"
#include "Pictures.h"
#include "QtMessageBoxes.h"
#include "SingleInstance.h"
#include "StateFiles.h"
#include "Translations.h"
#include "WaylandSeat.h"
#include "Widgets.h"

#include <QApplication>
#include <QDir>
#include <QFontDatabase>
#include <QSocketNotifier>
#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <unistd.h>

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

// SIGTERM (a desktop logging out), SIGINT and SIGHUP end Kivo as Exit does, without asking:
// everything is written and unlocked on the way out.
int signalPipe[2] = {-1, -1};

void quitOnTerminationSignals(QApplication& app, kivo::Form1& window) {
    if (::pipe2(signalPipe, O_CLOEXEC | O_NONBLOCK) != 0)
        return;
    auto* notifier = new QSocketNotifier(signalPipe[0], QSocketNotifier::Read, &app);
    QObject::connect(notifier, &QSocketNotifier::activated, &window, [&window] {
        char signal = 0;
        while (::read(signalPipe[0], &signal, 1) > 0) {
        }
        window.quit();
    });
    struct sigaction action {};
    action.sa_handler = [](int signal) {
        const char byte = static_cast<char>(signal);
        [[maybe_unused]] const ssize_t written = ::write(signalPipe[1], &byte, 1);
    };
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (const int signal : {SIGTERM, SIGINT, SIGHUP})
        sigaction(signal, &action, nullptr);
}

} // namespace

int main(int argc, char* argv[]) {
    kivo::reportFileSizeLimitAsError();
    kivo::CommandLine::answerWithoutDisplay(argc, argv);
    // Given by a launcher on Wayland: handed to a running Kivo, whose window it lets come to
    // the front.
    const QString activationToken = qEnvironmentVariable("XDG_ACTIVATION_TOKEN");

    kivo::startWithoutInputMethodIfSeatless();
    QApplication app(argc, argv);
    kivo::forgetInputMethodChoice();
    kivo::setApplicationNames();
    QGuiApplication::setDesktopFileName(QStringLiteral("kivo"));
    QApplication::setWindowIcon(kivo::Pictures::application());
    kivo::installTranslations(app);
    kivo::keepPasswordsFromScreenReaders();
    kivo::CommandLine commandLine;
    commandLine.process(app);
    if (commandLine.verbose())
        kivo::enableVerboseLogging();
    useInterfaceFont();

    if (!commandLine.stateFolder().isEmpty()) {
        const QString folder = QDir(commandLine.stateFolder()).absolutePath();
        kivo::StateFolder::create(folder);
        kivo::StateFolder::setPath(folder);
    }
    kivo::SingleInstance instance(kivo::StateFolder::path());
    switch (instance.start(activationToken)) {
    case kivo::SingleInstance::Outcome::First:
        break;
    case kivo::SingleInstance::Outcome::HandedOver:
        std::printf("%s\n", qPrintable(QCoreApplication::translate(
                                "kivo", "Kivo is already running with these state files; its "
                                        "window was brought to the front.")));
        return 0;
    case kivo::SingleInstance::Outcome::Attention:
        std::printf("%s\n", qPrintable(QCoreApplication::translate(
                                "kivo", "Kivo is already running with these state files; the "
                                        "desktop did not let its window come to the front, so "
                                        "it asks for your attention instead.")));
        return 0;
    case kivo::SingleInstance::Outcome::Unreachable:
        std::fprintf(
            stderr, "%s\n",
            qPrintable(QCoreApplication::translate(
                           "kivo", "Kivo is already running with the state files in %1, but "
                                   "does not answer.")
                           .arg(QDir::toNativeSeparators(kivo::StateFolder::path()))));
        return 1;
    }

    kivo::QtMessageBoxes boxes;
    kivo::MessageBoxes::install(&boxes);
    const kivo::CursorRest cursorRest;
    kivo::Form1 window;
    instance.setRaise([&window](const QString& token, std::function<void(bool)> told) {
        kivo::bringToFront(&window, token, kivo::SingleInstance::FrontWait, std::move(told));
    });
    quitOnTerminationSignals(app, window);
    window.show();
    return QApplication::exec();
}
