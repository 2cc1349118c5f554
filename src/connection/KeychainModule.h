// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <functional>

class QObject;

// The seam between Kivo and the module that reaches the desktop's keyring (kivo-keychain,
// linked with QtKeychain). The module is loaded at the first question, so that a user who
// keeps the password in connection.dat never loads the keyring's libraries.
namespace kivo::keychain {

enum class Request { Read, Write, Delete };

struct Answer {
    enum Result { Done, NotFound, Failed } result = Done;
    QString reason;   // why it failed
    QString password; // what a read found
    // Kivo had stopped waiting and taken the request for failed; the keyring may have done it
    // all the same.
    bool late = false;
};

// Starts the request and calls `done` once, from the event loop, while `context` lives.
using Ask = void (*)(Request request, const QString& service, const QString& key,
                     const QString& password, QObject* context,
                     std::function<void(const Answer&)> done);

inline constexpr char AskFunction[] = "kivoKeychainAsk";

} // namespace kivo::keychain
