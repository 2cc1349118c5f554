// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

namespace kivo {

inline const QString AppTitle = QStringLiteral("Kivo");

// Every message box of the program goes through this seam, so that tests can script the
// answers. The desktop installs a QMessageBox-backed implementation at start-up.
class MessageBoxes {
public:
    virtual ~MessageBoxes() = default;
    // Exclamation icon, OK button; returns when the box is closed.
    virtual void warning(const QString& text, const QString& title) = 0;
    // Question icon, Yes and No buttons; true means Yes.
    virtual bool question(const QString& text, const QString& title) = 0;
    // The same, for a choice that must not be made by pressing Enter: No is the default.
    virtual bool riskyQuestion(const QString& text, const QString& title) {
        return question(text, title);
    }
    // Changes the text of a warning box that is open, found by its text and title.
    virtual void retext(const QString& text, const QString& title, const QString& newText) {
        Q_UNUSED(text);
        Q_UNUSED(title);
        Q_UNUSED(newText);
    }

    static MessageBoxes& current();
    // Does not take ownership; nullptr restores the console fallback.
    static void install(MessageBoxes* boxes);
};

void warn(const QString& text, const QString& title = AppTitle);
bool ask(const QString& text, const QString& title = AppTitle);
bool askRisky(const QString& text, const QString& title);

} // namespace kivo
