// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QLocalServer>
#include <QLockFile>
#include <QObject>
#include <memory>

namespace kivo {

// One Kivo per state folder: two would each write their own idea of the same files. The
// folder is locked; a second start on it asks the running Kivo to come to the front and
// ends. A lock left by a process that is gone, or that cannot be read, is taken over. The
// socket a second start talks to is in a folder only this user can enter, and each end makes
// sure the other is this user.
class SingleInstance : public QObject {
    Q_OBJECT
public:
    enum class Outcome {
        First,      // this one runs
        HandedOver, // the running one said it came to the front
        Unreachable // the running one holds the lock but does not answer
    };

    explicit SingleInstance(const QString& folder, QObject* parent = nullptr);
    Outcome start();

    static inline const QString LockFileName = QStringLiteral("kivo.lock");

Q_SIGNALS:
    // Another start on this folder wants the running Kivo in front.
    void raiseRequested();

private:
    bool handOver();
    bool lockIsStale();

    QString folder_;
    QString serverName_;
    QLockFile lock_;
    std::unique_ptr<QLocalServer> server_;
};

} // namespace kivo
