// SPDX-License-Identifier: GPL-3.0-or-later
#include "Reconnector.h"

#include "Clock.h"
#include "ConnectionController.h"
#include "Log.h"

#include <QRandomGenerator>
#include <array>

namespace kivo {
namespace {

constexpr std::array Delays{2, 4, 8, 16, 32, 60};
constexpr double Jitter = 0.2;

} // namespace

Reconnector::Reconnector(ConnectionController& connection, QObject* parent)
    : QObject(parent)
    , connection_(connection) {
    timer_.setSingleShot(true);
    connect(&timer_, &ClockTimer::timeout, this, &Reconnector::tryNow);
    loginTimer_.setSingleShot(true);
    connect(&loginTimer_, &ClockTimer::timeout, this, [this] {
        qCDebug(logConnection) << "no answer to the login of a try to reconnect";
        connection_.abandon();
    });
    connect(&connection_, &ConnectionController::connectStarted, this, [this] {
        if (!connecting_)
            stop(); // the user connects by hand (or back to the home server)
    });
    connect(&connection_, &ConnectionController::disconnectedByUser, this, &Reconnector::stop);
    connect(&connection_, &ConnectionController::connectionLost, this, &Reconnector::onLost);
    connect(&connection_, &ConnectionController::loginRefused, this, &Reconnector::stop);
    connect(&connection_, &ConnectionController::loginAccepted, this, [this] {
        madeLastLogin_ = active_;
        if (!active_)
            return;
        stop();
        reconnectedAt_ = Clock::current().now();
        Q_EMIT reconnected();
    });
}

int Reconnector::baseDelay(int attempt) {
    return Delays[static_cast<size_t>(std::min<int>(attempt, Delays.size() - 1))];
}

void Reconnector::start(const QString& host, quint16 port, const QString& user,
                        const QString& password) {
    host_ = host;
    port_ = port;
    user_ = user;
    password_ = password;
    // A connection got back a moment ago and lost again goes on with the longer waits.
    const bool stable =
        !reconnectedAt_.isValid() || reconnectedAt_.msecsTo(Clock::current().now()) >= StableAfter;
    attempt_ = stable ? 0 : attempt_ + 1;
    active_ = true;
    schedule();
}

void Reconnector::stop() {
    if (!active_)
        return;
    active_ = false;
    connecting_ = false;
    timer_.stop();
    loginTimer_.stop();
    connection_.reportFailures = true;
    Q_EMIT stopped();
}

void Reconnector::schedule() {
    const double seconds =
        baseDelay(attempt_) * (1.0 + Jitter * QRandomGenerator::global()->generateDouble());
    timer_.start(static_cast<int>(seconds * 1000));
    qCDebug(logConnection) << "next try to reconnect in" << seconds << "s";
    Q_EMIT scheduled();
}

int Reconnector::secondsToNextTry() const {
    return qRound(static_cast<double>(Clock::current().now().msecsTo(nextTry())) / 1000.0);
}

void Reconnector::tryNow() {
    connecting_ = true;
    connection_.reportFailures = false; // a failed try raises no box
    connection_.WaitingForLogin = true;
    connection_.LoginUser = user_;
    connection_.LoginPass = password_;
    connection_.connectTo(host_, port_);
    loginTimer_.start(LoginTimeout);
}

void Reconnector::onLost() {
    if (!active_ || !connecting_)
        return;
    connecting_ = false;
    loginTimer_.stop();
    ++attempt_;
    schedule();
}

} // namespace kivo
