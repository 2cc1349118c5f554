// SPDX-License-Identifier: GPL-3.0-or-later
// Spelling while typing: a key at the end of a 500-character message line, with the line's
// words checked and marked. The floor is the same key in a line edit without spelling.
#include "Measure.h"
#include "SpellChecker.h"
#include "SpellingUnderline.h"
#include "StateFiles.h"

#include <QApplication>
#include <QEventLoop>
#include <QKeyEvent>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTimer>

using namespace kivo;

namespace {

QString fiveHundredCharacters() {
    // Real words with a misspelt one now and then, as people type.
    const QStringList words{"the",  "message", "arrived", "yesterday", "while", "we",
                            "were", "talking", "abuot",   "something", "else",  "entirely",
                            "and",  "nobody",  "noticed", "untill",    "later"};
    QString text;
    for (int i = 0; text.size() < 500; ++i)
        text += words[i % words.size()] + u' ';
    return text.left(500);
}

void press(QLineEdit& line, int key, const QString& text) {
    QKeyEvent event(QEvent::KeyPress, key, Qt::NoModifier, text);
    QCoreApplication::sendEvent(&line, &event);
    QCoreApplication::processEvents();
}

// A key typed at the end of the line, and the marks made for it.
double keyMs(QLineEdit& line) {
    return bench::medianMs(101,
                           [&line] {
                               press(line, Qt::Key_A, QStringLiteral("a"));
                               press(line, Qt::Key_Backspace, {});
                           }) /
           2;
}

} // namespace

int main(int argc, char* argv[]) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTemporaryDir state;
    StateFolder::setPath(state.path());
    const QString text = fiveHundredCharacters();

    // The dictionary is read on a thread of its own; the time until it is there.
    const auto readDictionary = [](SpellChecker& checker) {
        QEventLoop wait;
        QObject::connect(&checker, &SpellChecker::loaded, &wait, &QEventLoop::quit);
        QTimer::singleShot(10000, &wait, &QEventLoop::quit);
        checker.isCorrect(QStringLiteral("the"));
        wait.exec();
    };
    SpellChecker checker(QStringLiteral("en_US"));
    if (SpellChecker::installedLanguages().isEmpty()) {
        std::printf("Spelling: no en_US dictionary installed\n");
        return 0;
    }
    readDictionary(checker);
    SpellChecker cold(QStringLiteral("en_US"));
    QElapsedTimer timer;
    timer.start();
    readDictionary(cold); // the dictionary read, no word of the line known
    const double loadMs = static_cast<double>(timer.nsecsElapsed()) / 1e6;
    timer.restart();
    const qsizetype misspelt = cold.misspelt(text).size();
    const double coldMs = static_cast<double>(timer.nsecsElapsed()) / 1e6;
    const double warmMs = bench::medianMs(101, [&] { checker.misspelt(text); });

    QLineEdit plain;
    plain.setText(text);
    plain.show();
    QLineEdit checked;
    checked.setText(text);
    new SpellingUnderline(&checked, [&checker] { return &checker; });
    checked.show();
    QCoreApplication::processEvents();
    const double floorMs = keyMs(plain);
    const double keyCheckedMs = keyMs(checked);

    std::printf("Spelling while typing (a 500-character line, %lld words misspelt)\n",
                static_cast<long long>(misspelt));
    std::printf("  reading the dictionary (once, off the window's thread) %9.2f ms\n", loadMs);
    std::printf("  checking the line, words not seen before %9.2f ms\n", coldMs);
    std::printf("  checking the line again                  %9.2f ms\n", warmMs);
    bench::report("a key, checked and marked", keyCheckedMs, floorMs);
    return 0;
}
