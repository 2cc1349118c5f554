// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "KeychainModule.h"

#include <QObject>
#include <QPointer>
#include <functional>

namespace kivo {

// The saved login of connection.dat, with its password kept in the desktop's keyring (Secret
// Service, through QtKeychain) instead of line 2 when the user chose so. The keyring answers
// later, from the event loop; the file is read and written at once. The password is never
// dropped: until the keyring has it, it stays in connection.dat.
class Keyring : public QObject {
    Q_OBJECT
public:
    static inline const QString Service = QStringLiteral("Kivo");

    struct Login {
        QString username;
        QString password;
        QString host;
    };
    using PasswordRead = std::function<void(const QString& password)>;

    explicit Keyring(QObject* parent = nullptr);

    bool enabled() const { return enabled_; }
    // Only what later saves and loads do; nothing moves.
    void setEnabled(bool enabled) { enabled_ = enabled; }
    // The user switched the option: a saved password moves into the keyring, or back into
    // connection.dat (said first) and out of the keyring.
    void switchTo(bool enabled);

    // The login saved in connection.dat; its password is empty there when the keyring has it.
    static Login saved();
    // The password of a saved login, handed to `read` from the event loop while `context`
    // lives: from the keyring when it is kept there, empty when the keyring has none or could
    // not be asked (said once).
    void password(const Login& login, QObject* context, PasswordRead read);
    // Saves the login; with the keyring, connection.dat gets the new login with an empty
    // line 2 once the keyring holds the password, and keeps it in line 2 if it cannot (one
    // that answers too late gets it then, and line 2 is emptied).
    void save(const QString& username, const QString& password, const QString& host);

    static QString keyFor(const QString& username, const QString& host);

Q_SIGNALS:
    // A save or a move has finished, whichever way (once more when the keyring answers late);
    // for tests and the preferences.
    void settled();

private:
    void moveIn();
    void moveOut();
    // The keyring kept a login's password after Kivo had stopped waiting and kept it in the
    // file instead.
    void keptLate(const Login& login, const keychain::Answer& answer);
    void forget(const Login& login);
    void tellOnce(const QString& text);
    void couldNotKeep(const QString& reason);

    bool enabled_ = false;
    bool told_ = false;
};

} // namespace kivo
