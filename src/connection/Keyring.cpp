// SPDX-License-Identifier: GPL-3.0-or-later
#include "Keyring.h"

#include "ConnectionFile.h"
#include "Log.h"
#include "MessageBoxes.h"

#include <QTimer>
#include <qt6keychain/keychain.h>

namespace kivo {
namespace {

// A keyring that never answers (a bus that drops the call) counts as failed after this.
constexpr int AnswerTimeout = 15000;

struct Answer {
    QKeychain::Error error = QKeychain::NoError;
    QString reason;
    QString password; // what a read found
};

template <typename Job>
void ask(const QString& key, QObject* context, std::function<void(const Answer&)> done,
         const QString& password = {}) {
    auto* job = new Job(Keyring::Service); // deletes itself once finished
    job->setKey(key);
    if constexpr (std::is_same_v<Job, QKeychain::WritePasswordJob>)
        job->setTextData(password);
    auto answered = std::make_shared<bool>(false);
    const auto answer = [answered, done](const Answer& result) {
        if (!std::exchange(*answered, true))
            done(result);
    };
    QObject::connect(job, &QKeychain::Job::finished, context, [answer](QKeychain::Job* finished) {
        Answer result{finished->error(), finished->errorString(), {}};
        if constexpr (std::is_same_v<Job, QKeychain::ReadPasswordJob>)
            result.password = static_cast<Job*>(finished)->textData();
        answer(result);
    });
    QTimer::singleShot(AnswerTimeout, context, [answer] {
        answer(
            {QKeychain::OtherError,
             Keyring::tr("the keyring did not answer within %1 seconds").arg(AnswerTimeout / 1000),
             {}});
    });
    job->start();
}

} // namespace

Keyring::Keyring(QObject* parent)
    : QObject(parent) {
}

QString Keyring::keyFor(const QString& username, const QString& host) {
    return username + u'@' + host;
}

void Keyring::tellOnce(const QString& text) {
    qCWarning(logFiles).noquote() << text;
    if (!std::exchange(told_, true))
        warn(text);
}

void Keyring::couldNotKeep(const QString& reason) {
    tellOnce(tr("Your password could not be kept in the desktop's keyring (%1), so Kivo keeps "
                "it in %2 as before.")
                 .arg(reason, ConnectionFile::FileName));
}

Keyring::Login Keyring::saved() {
    Login login;
    ConnectionFile::LoadConnectionData(login.username, login.password, login.host);
    return login;
}

void Keyring::password(const Login& login, QObject* context, PasswordRead read) {
    if (!enabled_ || !login.password.isEmpty() || login.username.isEmpty() ||
        login.host.isEmpty()) {
        QTimer::singleShot(0, context, [read, password = login.password] { read(password); });
        return;
    }
    ask<QKeychain::ReadPasswordJob>(
        keyFor(login.username, login.host), context, [this, read](const Answer& answer) {
            if (answer.error != QKeychain::NoError && answer.error != QKeychain::EntryNotFound)
                tellOnce(tr("Kivo could not read your password from the desktop's keyring "
                            "(%1). Please type it in the login dialog.")
                             .arg(answer.reason));
            read(answer.error == QKeychain::NoError ? answer.password : QString());
        });
}

void Keyring::save(const QString& username, const QString& password, const QString& host) {
    if (!enabled_) {
        ConnectionFile::SaveConnectionData(username, password, host);
        return;
    }
    const Login before = saved();
    ask<QKeychain::WritePasswordJob>(
        keyFor(username, host), this,
        [this, before, username, password, host](const Answer& answer) {
            if (answer.error != QKeychain::NoError) {
                ConnectionFile::SaveConnectionData(username, password, host);
                couldNotKeep(answer.reason);
            } else if (ConnectionFile::SaveConnectionData(username, QString(), host) &&
                       before.password.isEmpty() &&
                       keyFor(before.username, before.host) != keyFor(username, host)) {
                // The previous login's password is not left behind in the keyring.
                ask<QKeychain::DeletePasswordJob>(keyFor(before.username, before.host), this,
                                                  [](const Answer&) {});
            }
            Q_EMIT settled();
        },
        password);
}

void Keyring::switchTo(bool enabled) {
    if (enabled == enabled_)
        return;
    enabled_ = enabled;
    enabled ? moveIn() : moveOut();
}

void Keyring::moveIn() {
    const Login login = saved();
    if (login.password.isEmpty()) {
        Q_EMIT settled();
        return;
    }
    ask<QKeychain::WritePasswordJob>(
        keyFor(login.username, login.host), this,
        [this, login](const Answer& answer) {
            if (answer.error != QKeychain::NoError) {
                couldNotKeep(answer.reason);
            } else {
                const Login now = saved();
                // Unless another login was saved meanwhile.
                if (now.username == login.username && now.password == login.password &&
                    now.host == login.host)
                    ConnectionFile::SaveConnectionData(login.username, QString(), login.host);
            }
            Q_EMIT settled();
        },
        login.password);
}

void Keyring::moveOut() {
    const Login login = saved();
    if (!login.password.isEmpty() || login.username.isEmpty() || login.host.isEmpty()) {
        Q_EMIT settled();
        return;
    }
    const QString key = keyFor(login.username, login.host);
    ask<QKeychain::ReadPasswordJob>(key, this, [this, login, key](const Answer& answer) {
        if (answer.error == QKeychain::NoError) {
            const Login now = saved();
            warn(tr("Kivo keeps your password in %1 again, in clear text, and removes it "
                    "from the desktop's keyring.")
                     .arg(ConnectionFile::FileName));
            // Removed from the keyring only once the file holds it.
            if (now.username == login.username && now.password.isEmpty() &&
                now.host == login.host &&
                ConnectionFile::SaveConnectionData(login.username, answer.password, login.host)) {
                ask<QKeychain::DeletePasswordJob>(key, this,
                                                  [this](const Answer&) { Q_EMIT settled(); });
                return;
            }
        } else if (answer.error != QKeychain::EntryNotFound) {
            tellOnce(tr("Kivo could not read your password from the desktop's keyring "
                        "(%1), so it stays there.")
                         .arg(answer.reason));
        }
        Q_EMIT settled();
    });
}

} // namespace kivo
