// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QHash>
#include <QObject>
#include <QString>
#include <deque>
#include <optional>

namespace kivo {

// Warnings that must not hold up what else is going on (the server's error replies): shown
// one at a time from the event loop, while the rest goes on. A warning of a kind that is open
// or waiting raises no second box, whatever name it holds: the open or waiting one says how
// many more came. So there are never more boxes waiting than kinds of warning.
class WarningQueue : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

    // `kind` names what the warning says apart from the names in it.
    void post(const QString& kind, const QString& text, const QString& title);

private:
    struct Warning {
        QString kind;
        QString text;
        QString title;
        int more = 0;

        QString shown() const;
    };

    void showWaiting();

    std::deque<QString> order_; // the kinds waiting, oldest first
    QHash<QString, Warning> waiting_;
    std::optional<Warning> open_;
    bool scheduled_ = false;
};

} // namespace kivo
