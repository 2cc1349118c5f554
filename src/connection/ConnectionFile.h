// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

namespace kivo {

// connection.dat: user name, password (clear text, so the file is private to its owner),
// host and server port, one per line. Readers take missing lines as empty.
class ConnectionFile {
public:
    static inline const QString FileName = QStringLiteral("connection.dat");
    static constexpr qint64 DefaultPort = 42439;

    // Leaves the arguments as they are when there is no file.
    static void LoadConnectionData(QString& username, QString& password, QString& host);
    // The saved port, rounded half to even; DefaultPort when there is none or it is not a
    // number. Not range-checked here: a value outside 1 to 65535 (or 32 bits) is refused
    // when connecting.
    static qint64 GetSavedPort();
    // Rewrites the file with the saved port as a clean integer (a port that does not fit in
    // 32 bits is kept as it was typed).
    static bool SaveConnectionData(const QString& username, const QString& password,
                                   const QString& host);

    static void LoadConnectionDetails(QString& username, QString& password, QString& host,
                                      QString& port);
    static bool SaveServerPort(const QString& port);

    static bool isValidPort(qint64 port) { return port >= 1 && port <= 65535; }
};

} // namespace kivo
