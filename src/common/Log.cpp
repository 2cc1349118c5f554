// SPDX-License-Identifier: GPL-3.0-or-later
#include "Log.h"

namespace kivo {

Q_LOGGING_CATEGORY(logConnection, "kivo.connection", QtWarningMsg)
Q_LOGGING_CATEGORY(logFiles, "kivo.files", QtWarningMsg)
Q_LOGGING_CATEGORY(logInstance, "kivo.instance", QtWarningMsg)
Q_LOGGING_CATEGORY(logNotify, "kivo.notify", QtWarningMsg)

QString loggable(const QString& command) {
    static const QString login = QStringLiteral("/login ");
    if (!command.startsWith(login))
        return command;
    // The user name is the first word; whatever follows may be the password.
    const qsizetype space = command.indexOf(u' ', login.size());
    return space < 0 ? command : command.left(space) + QStringLiteral(" ***");
}

void enableVerboseLogging() {
    QLoggingCategory::setFilterRules(QStringLiteral("kivo.*=true"));
}

} // namespace kivo
