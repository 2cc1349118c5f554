// SPDX-License-Identifier: GPL-3.0-or-later
#include "Keyring.h"

#include "ConnectionFile.h"
#include "KeychainModule.h"
#include "Log.h"
#include "MessageBoxes.h"
#include "ClockTimer.h"
#include "Modules.h"

#include <QPointer>
#include <QTimer>

namespace kivo {
namespace {

using keychain::Answer;
using keychain::Request;

// A keyring that never answers (a bus that drops the call) counts as failed after this.
constexpr int AnswerTimeout = 15000;

// The module's function, loaded at the first question; null when it cannot be loaded.
keychain::Ask askFunction(QString& error) {
    static QString failure;
    static const auto ask = reinterpret_cast<keychain::Ask>(
        moduleFunction(QStringLiteral("kivo-keychain"), keychain::AskFunction, failure));
    error = failure;
    return ask;
}

// `done` hears the keyring's answer, or a failure once it has not answered in time; a keyring
// that answers after that (a locked one whose prompt was left open) is heard too, as late.
void ask(Request request, const QString& key, QObject* context,
         std::function<void(const Answer&)> done, const QString& password = {}) {
    QString error;
    const keychain::Ask start = askFunction(error);
    if (!start) {
        QTimer::singleShot(0, context, [done, error] { done({Answer::Failed, error, {}}); });
        return;
    }
    auto gaveUp = std::make_shared<bool>(false);
    const QPointer<ClockTimer> timeout = new ClockTimer(context);
    timeout->setSingleShot(true);
    QObject::connect(timeout, &ClockTimer::timeout, context, [timeout, gaveUp, done] {
        timeout->deleteLater();
        *gaveUp = true;
        done({Answer::Failed,
              Keyring::tr("the keyring did not answer within %1 seconds").arg(AnswerTimeout / 1000),
              {}});
    });
    timeout->start(AnswerTimeout);
    start(request, Keyring::Service, key, password, context,
          [timeout, gaveUp, done](const Answer& result) {
              delete timeout.data();
              Answer answer = result;
              answer.late = *gaveUp;
              done(answer);
          });
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
    ask(Request::Read, keyFor(login.username, login.host), context,
        [this, read](const Answer& answer) {
            if (answer.late)
                return; // given up on, and told, already
            if (answer.result == Answer::Failed)
                tellOnce(tr("Kivo could not read your password from the desktop's keyring "
                            "(%1). Please type it in the login dialog.")
                             .arg(answer.reason));
            read(answer.result == Answer::Done ? answer.password : QString());
        });
}

void Keyring::save(const QString& username, const QString& password, const QString& host) {
    if (!enabled_) {
        ConnectionFile::SaveConnectionData(username, password, host);
        return;
    }
    const Login before = saved();
    const Login login{username, password, host};
    ask(
        Request::Write, keyFor(username, host), this,
        [this, before, login](const Answer& answer) {
            if (answer.late) {
                keptLate(login, answer);
                return;
            }
            if (answer.result != Answer::Done) {
                ConnectionFile::SaveConnectionData(login.username, login.password, login.host);
                couldNotKeep(answer.reason);
            } else if (!enabled_) {
                // Switched off while the keyring was answering: where the option says now.
                ConnectionFile::SaveConnectionData(login.username, login.password, login.host);
                forget(login);
            } else if (ConnectionFile::SaveConnectionData(login.username, QString(), login.host) &&
                       before.password.isEmpty() &&
                       keyFor(before.username, before.host) != keyFor(login.username, login.host)) {
                // The previous login's password is not left behind in the keyring.
                forget(before);
            }
            Q_EMIT settled();
        },
        password);
}

void Keyring::keptLate(const Login& login, const Answer& answer) {
    if (answer.result == Answer::Done && !enabled_) {
        forget(login); // the option was switched off meanwhile
    } else if (answer.result == Answer::Done) {
        // Kept in clear when the keyring seemed not to answer; the keyring has it now. Unless
        // another login was saved meanwhile.
        const Login now = saved();
        if (now.username == login.username && now.password == login.password &&
            now.host == login.host)
            ConnectionFile::SaveConnectionData(login.username, QString(), login.host);
    }
    Q_EMIT settled();
}

void Keyring::forget(const Login& login) {
    ask(Request::Delete, keyFor(login.username, login.host), this, [](const Answer&) {});
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
    ask(
        Request::Write, keyFor(login.username, login.host), this,
        [this, login](const Answer& answer) {
            if (answer.late) {
                keptLate(login, answer);
                return;
            }
            if (answer.result != Answer::Done) {
                couldNotKeep(answer.reason);
            } else if (!enabled_) {
                forget(login); // switched off again meanwhile: it stays in the file
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
    ask(Request::Read, key, this, [this, login, key](const Answer& answer) {
        if (answer.late)
            return; // given up on, and told: the password stayed in the keyring
        if (answer.result == Answer::Done) {
            warn(tr("Kivo keeps your password in %1 again, in clear text, and removes it "
                    "from the desktop's keyring.")
                     .arg(ConnectionFile::FileName));
            // Read after the box: another login may have been saved while it was open, and
            // the option switched on again.
            const Login now = saved();
            // Removed from the keyring only once the file holds it.
            if (!enabled_ && now.username == login.username && now.password.isEmpty() &&
                now.host == login.host &&
                ConnectionFile::SaveConnectionData(login.username, answer.password, login.host)) {
                ask(Request::Delete, key, this, [this](const Answer&) { Q_EMIT settled(); });
                return;
            }
        } else if (answer.result == Answer::Failed) {
            tellOnce(tr("Kivo could not read your password from the desktop's keyring "
                        "(%1), so it stays there.")
                         .arg(answer.reason));
        }
        Q_EMIT settled();
    });
}

} // namespace kivo
