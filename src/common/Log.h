// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QLoggingCategory>

namespace kivo {

// Diagnostics, off unless switched on with --verbose or QT_LOGGING_RULES ("kivo.*=true").
Q_DECLARE_LOGGING_CATEGORY(logConnection) // kivo.connection: lines, state changes
Q_DECLARE_LOGGING_CATEGORY(logFiles)      // kivo.files: state files read and written
Q_DECLARE_LOGGING_CATEGORY(logInstance)   // kivo.instance: the state folder's lock
Q_DECLARE_LOGGING_CATEGORY(logNotify)     // kivo.notify: desktop notifications

// A command line as it may be logged: a login's password becomes "***".
QString loggable(const QString& command);

void enableVerboseLogging();

} // namespace kivo
