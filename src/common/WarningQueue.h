// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>
#include <QString>
#include <deque>
#include <optional>

namespace kivo {

// Warnings that must not hold up what else is going on (the server's error replies): shown
// one at a time from the event loop, while the rest goes on. A warning equal to one that is
// open or waiting raises no second box; the open or waiting one says how many more came.
class WarningQueue : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

    void post(const QString& text, const QString& title);

private:
    struct Warning {
        QString text;
        QString title;
        int more = 0;

        bool sameAs(const QString& otherText, const QString& otherTitle) const {
            return text == otherText && title == otherTitle;
        }
        QString shown() const;
    };

    void showWaiting();

    std::deque<Warning> waiting_;
    std::optional<Warning> open_;
    bool scheduled_ = false;
};

} // namespace kivo
