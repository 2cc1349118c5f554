// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QLocalServer>
#include <QLockFile>
#include <QObject>
#include <functional>
#include <memory>

namespace kivo {

// One Kivo per state folder: two would each write their own idea of the same files. The
// folder is locked; a second start on it asks the running Kivo to come to the front, says
// truthfully whether it came, and ends. A lock left by a process that is gone, or that cannot be
// read, is taken over. The socket a second start talks to is in a folder only this user can enter,
// and each end makes sure the other is this user.
class SingleInstance : public QObject {
    Q_OBJECT
public:
    enum class Outcome {
        First,      // this one runs
        HandedOver, // the running one said it came to the front
        Attention,  // the running one could not come to the front and asks for attention
        Unreachable // the running one holds the lock but does not answer
    };

    // Brings the running Kivo to the front (with the activation token the second start was
    // given, for a Wayland compositor) and tells whether it came.
    using Raise =
        std::function<void(const QString& activationToken, std::function<void(bool inFront)> told)>;

    explicit SingleInstance(const QString& folder, QObject* parent = nullptr);
    // A second start hands its activation token over.
    Outcome start(const QString& activationToken = {});
    void setRaise(Raise raise) { raise_ = std::move(raise); }

    static inline const QString LockFileName = QStringLiteral("kivo.lock");
    // How long the running Kivo waits for its window to come to the front before it says no.
    static constexpr int FrontWait = 500;

private:
    Outcome handOver(const QString& activationToken);
    void answer(QLocalSocket* socket);
    bool lockIsStale();

    QString folder_;
    QString serverName_;
    QLockFile lock_;
    std::unique_ptr<QLocalServer> server_;
    Raise raise_;
};

} // namespace kivo
