// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "ClockTimer.h"

#include <QDateTime>
#include <QObject>

namespace kivo {

class ConnectionController;

// Gets a lost connection back by itself: tries after 2, 4, 8, 16, 32, then every 60 seconds,
// each up to a fifth longer at random (so that many clients do not come back at once), until
// a try logs in, a login is refused, or the user disconnects or connects by hand. Each try
// connects to the server that was lost and logs in as before; a failed try says nothing, and
// a try whose login is not answered in time counts as failed. The waits start again from 2 s
// only once a connection has stayed up for a minute: a server that drops every login soon
// after accepting it is not asked 25 times a minute.
class Reconnector : public QObject {
    Q_OBJECT
public:
    explicit Reconnector(ConnectionController& connection, QObject* parent = nullptr);

    // The base delay before a try, in seconds, counting tries from 0.
    static int baseDelay(int attempt);
    static constexpr int LoginTimeout = 30'000; // ms for the server to answer a try's login
    static constexpr int StableAfter = 60'000;  // ms up before the waits start again from 2 s

    // A logged-in connection was lost: starts trying.
    void start(const QString& host, quint16 port, const QString& user, const QString& password);
    void stop();
    bool active() const { return active_; }
    // When the next try is, by the clock; invalid when none is waiting.
    QDateTime nextTry() const { return timer_.nextTimeout(); }
    int secondsToNextTry() const;
    // The last login accepted was one of its tries.
    bool madeLastLogin() const { return madeLastLogin_; }

Q_SIGNALS:
    // A try is waiting (nextTry() says when).
    void scheduled();
    // A try logged in again.
    void reconnected();
    void stopped();

private:
    void schedule();
    void tryNow();
    void onLost();

    ConnectionController& connection_;
    ClockTimer timer_;
    ClockTimer loginTimer_;
    QDateTime reconnectedAt_;
    QString host_;
    quint16 port_ = 0;
    QString user_;
    QString password_;
    int attempt_ = 0;
    bool active_ = false;
    bool connecting_ = false; // the connect under way is a try of ours
    bool madeLastLogin_ = false;
};

} // namespace kivo
