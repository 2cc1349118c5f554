// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>
#include <QTimer>
#include <functional>

class QLineEdit;

namespace kivo {

class SpellChecker;

// Marks the misspelt words of a line edit with a wavy red underline as the text changes, and
// offers suggestions and "Add to Dictionary" in its context menu over a marked word. Asks
// for the checker each time: none means spelling is off.
class SpellingUnderline : public QObject {
    Q_OBJECT
public:
    SpellingUnderline(QLineEdit* line, std::function<SpellChecker*()> checker);

    // Marks the text anew (after the checker or its words changed).
    void update();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool showMenu(const QPoint& at, const QPoint& globalAt);

    QLineEdit* line_;
    std::function<SpellChecker*()> checker_;
    bool composing_ = false; // an input method is composing: its text is not ours to mark
    bool marking_ = false;
    bool marked_ = false; // some words are marked now
    QTimer later_;
};

} // namespace kivo
