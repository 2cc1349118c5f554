// SPDX-License-Identifier: GPL-3.0-or-later
#include "Preferences.h"

#include "Log.h"
#include "MessageBoxes.h"
#include "StateFiles.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QSettings>

namespace kivo {
namespace {

const QString NotificationsKey = QStringLiteral("notifications");
const QString ReconnectKey = QStringLiteral("reconnect");
const QString HistoryKey = QStringLiteral("history");
const QString HistoryDaysKey = QStringLiteral("historyDays");

// Only "true" and "false" are switches; anything else leaves the default.
bool readSwitch(const QSettings& settings, const QString& key, bool fallback) {
    const QString text = settings.value(key).toString();
    if (text == u"true")
        return true;
    if (text == u"false")
        return false;
    return fallback;
}

QString path() {
    return StateFolder::filePath(Preferences::FileName);
}

} // namespace

Preferences::Preferences(QObject* parent)
    : QObject(parent) {
}

void Preferences::load() {
    values_ = Values();
    const QSettings settings(path(), QSettings::IniFormat);
    damaged_ = settings.status() == QSettings::FormatError;
    if (settings.status() != QSettings::NoError) {
        warn(QCoreApplication::translate("kivo", "The preferences in %1 could not be read, so "
                                                 "Kivo uses its default preferences.")
                 .arg(QDir::toNativeSeparators(path())));
        return;
    }
    values_.notifications = readSwitch(settings, NotificationsKey, values_.notifications);
    values_.reconnect = readSwitch(settings, ReconnectKey, values_.reconnect);
    values_.history = readSwitch(settings, HistoryKey, values_.history);
    bool number = false;
    const int days = settings.value(HistoryDaysKey).toInt(&number);
    if (number && days >= 0)
        values_.historyDays = days;
    if (QFile::exists(path()))
        qCDebug(logFiles).noquote() << "read" << path();
}

bool Preferences::save(const Values& values) {
    // QSettings never writes over a file it could not parse: a damaged one (already
    // reported, its values unused) makes way for the new one.
    if (std::exchange(damaged_, false))
        QFile::remove(path());
    QSettings settings(path(), QSettings::IniFormat);
    settings.setValue(NotificationsKey, values.notifications ? "true" : "false");
    settings.setValue(ReconnectKey, values.reconnect ? "true" : "false");
    settings.setValue(HistoryKey, values.history ? "true" : "false");
    settings.setValue(HistoryDaysKey, values.historyDays);
    settings.sync(); // QSettings writes through a temporary file and a rename
    if (settings.status() != QSettings::NoError) {
        warn(QCoreApplication::translate("kivo", "Could not save the preferences in %1.")
                 .arg(QDir::toNativeSeparators(path())));
        return false;
    }
    qCDebug(logFiles).noquote() << "wrote" << path();
    const bool different = !(values == values_);
    values_ = values;
    if (different)
        Q_EMIT changed();
    return true;
}

} // namespace kivo
