// SPDX-License-Identifier: GPL-3.0-or-later
#include "SpellingUnderline.h"

#include "SpellChecker.h"
#include "Widgets.h"

#include <QContextMenuEvent>
#include <QCoreApplication>
#include <QInputMethodEvent>
#include <QLineEdit>
#include <QMenu>
#include <QTextCharFormat>

namespace kivo {

SpellingUnderline::SpellingUnderline(QLineEdit* line, std::function<SpellChecker*()> checker)
    : QObject(line)
    , line_(line)
    , checker_(std::move(checker)) {
    line->installEventFilter(this);
    // Once the key or paste is handled (the line edit sets its own formats while it handles
    // one), and once for all the changes of one turn of the event loop.
    later_.setSingleShot(true);
    later_.setInterval(0);
    connect(&later_, &QTimer::timeout, this, &SpellingUnderline::update);
    connect(line, &QLineEdit::textChanged, &later_, qOverload<>(&QTimer::start));
    // The word being typed is marked once the cursor leaves it.
    connect(line, &QLineEdit::cursorPositionChanged, &later_, qOverload<>(&QTimer::start));
}

void SpellingUnderline::update() {
    if (composing_)
        return;
    QList<QInputMethodEvent::Attribute> marks;
    if (SpellChecker* checker = checker_()) {
        QTextCharFormat wavy;
        wavy.setFontUnderline(true);
        wavy.setUnderlineStyle(QTextCharFormat::WaveUnderline);
        wavy.setUnderlineColor(Qt::red);
        const int cursor = line_->cursorPosition();
        for (const SpellChecker::Word& word : checker->misspelt(line_->text(), cursor))
            marks.append({QInputMethodEvent::TextFormat, static_cast<int>(word.start) - cursor,
                          static_cast<int>(word.length), wavy});
    }
    if (marks.isEmpty() && !std::exchange(marked_, false))
        return; // nothing was marked, nothing is
    marked_ = !marks.isEmpty();
    // A line edit draws formats only as an input method gives them, relative to the cursor;
    // an event without text changes nothing else.
    QInputMethodEvent event(QString(), marks);
    marking_ = true;
    QCoreApplication::sendEvent(line_, &event);
    marking_ = false;
}

bool SpellingUnderline::eventFilter(QObject* watched, QEvent* event) {
    if (watched != line_)
        return false;
    if (event->type() == QEvent::InputMethod && !marking_) {
        const bool was = std::exchange(
            composing_, !static_cast<QInputMethodEvent*>(event)->preeditString().isEmpty());
        if (was && !composing_)
            later_.start();
    } else if (event->type() == QEvent::ContextMenu) {
        const auto* menuEvent = static_cast<QContextMenuEvent*>(event);
        return showMenu(menuEvent->pos(), menuEvent->globalPos());
    }
    return false;
}

bool SpellingUnderline::showMenu(const QPoint& at, const QPoint& globalAt) {
    SpellChecker* checker = checker_();
    if (!checker)
        return false;
    const QString text = line_->text();
    const int position = line_->cursorPositionAt(at);
    SpellChecker::Word found;
    for (const SpellChecker::Word& word : checker->misspelt(text)) {
        if (position >= word.start && position <= word.start + word.length)
            found = word;
    }
    if (found.length == 0)
        return false;
    const QString word = text.mid(found.start, found.length);
    QMenu* menu = line_->createStandardContextMenu();
    QAction* first = menu->actions().value(0);
    const QStringList suggestions = checker->suggestions(word);
    for (const QString& suggestion : suggestions) {
        auto* replace = new QAction(suggestion, menu);
        connect(replace, &QAction::triggered, this, [this, found, suggestion] {
            // As typed: one step of undo.
            line_->setSelection(static_cast<int>(found.start), static_cast<int>(found.length));
            line_->insert(suggestion);
        });
        menu->insertAction(first, replace);
    }
    auto* add = new QAction(tr("Add to Dictionary"), menu);
    // The checker in use then: the language may have changed while the menu was open.
    connect(add, &QAction::triggered, this, [this, word] {
        if (SpellChecker* now = checker_(); now && now->addToDictionary(word))
            update();
    });
    menu->insertAction(first, add);
    menu->insertSeparator(first);
    popUp(menu, globalAt);
    return true;
}

} // namespace kivo
