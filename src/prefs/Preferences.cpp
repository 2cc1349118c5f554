// SPDX-License-Identifier: GPL-3.0-or-later
#include "Preferences.h"

#include "Log.h"
#include "MessageBoxes.h"
#include "StateFiles.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QSettings>
#include <array>
#include <limits>
#include <sys/stat.h>

namespace kivo {
namespace {

// The switches, each a key of "true" or "false".
struct Switch {
    QLatin1StringView key;
    bool Preferences::Values::*value;
};
using V = Preferences::Values;
constexpr std::array Switches{
    Switch{QLatin1StringView("notifications"), &V::notifications},
    Switch{QLatin1StringView("reconnect"), &V::reconnect},
    Switch{QLatin1StringView("history"), &V::history},
    Switch{QLatin1StringView("keyring"), &V::keyring},
    Switch{QLatin1StringView("tls"), &V::tls},
    Switch{QLatin1StringView("bringToFront"), &V::bringToFront},
    Switch{QLatin1StringView("highlightMentions"), &V::highlightMentions},
    Switch{QLatin1StringView("strangerWindows"), &V::strangerWindows},
    Switch{QLatin1StringView("rememberPlaces"), &V::rememberPlaces},
    Switch{QLatin1StringView("keepUnsentText"), &V::keepUnsentText},
    Switch{QLatin1StringView("conversationTabs"), &V::conversationTabs},
    Switch{QLatin1StringView("spelling"), &V::spelling},
    Switch{QLatin1StringView("trayIcon"), &V::trayIcon},
    Switch{QLatin1StringView("keepRunning"), &V::keepRunning},
};
const QString HistoryDaysKey = QStringLiteral("historyDays");
const QString TextZoomKey = QStringLiteral("textZoom");
const QString TranscriptFontKey = QStringLiteral("transcriptFont");
const QString SpellingLanguageKey = QStringLiteral("spellingLanguage");
const QString CertificatesGroup = QStringLiteral("certificates");
const QString PlacesGroup = QStringLiteral("places");
// When each place was last kept, as a count that grows with every keeping.
const QString PlacesUsedGroup = QStringLiteral("placesUsed");
const QString LinesNotStoredKey = QStringLiteral("history/linesNotStored");

QString certificateKey(const QString& host, quint16 port) {
    return CertificatesGroup + u'/' + host + u':' + QString::number(port);
}

// Only "true" and "false" are switches; anything else leaves the default.
bool readSwitch(const QSettings& settings, QLatin1StringView key, bool fallback) {
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

// kivo.ini is one of Kivo's own files: a plain file of a sensible size, never a link through
// which saving would write over some other file of the user's.
enum class Kind { Missing, Plain, TooLarge, NotPlain };
Kind kindOfFile() {
    struct stat status {};
    if (lstat(QFile::encodeName(path()).constData(), &status) != 0)
        return Kind::Missing;
    if (!S_ISREG(status.st_mode))
        return Kind::NotPlain;
    return status.st_size > Preferences::MaxFileSize ? Kind::TooLarge : Kind::Plain;
}

} // namespace

Preferences::Preferences(QObject* parent)
    : QObject(parent) {
    settling_.setSingleShot(true);
    settling_.setInterval(SettleTime);
    connect(&settling_, &ClockTimer::timeout, this, [this] { writeValues(values_); });
}

void Preferences::load() {
    values_ = Values();
    const Kind kind = kindOfFile();
    notPlain_ = kind == Kind::NotPlain;
    if (kind == Kind::NotPlain || kind == Kind::TooLarge) {
        // Too large is taken for damaged, and written over at the next save; a link is left.
        damaged_ = kind == Kind::TooLarge;
        warn(QCoreApplication::translate("kivo", "The preferences in %1 could not be read, so "
                                                 "Kivo uses its default preferences.")
                 .arg(QDir::toNativeSeparators(path())));
        return;
    }
    const QSettings settings(path(), QSettings::IniFormat);
    damaged_ = settings.status() == QSettings::FormatError;
    if (settings.status() != QSettings::NoError) {
        warn(QCoreApplication::translate("kivo", "The preferences in %1 could not be read, so "
                                                 "Kivo uses its default preferences.")
                 .arg(QDir::toNativeSeparators(path())));
        return;
    }
    for (const Switch& option : Switches)
        values_.*option.value = readSwitch(settings, option.key, values_.*option.value);
    bool number = false;
    const int days = settings.value(HistoryDaysKey).toInt(&number);
    if (number && days >= 0)
        values_.historyDays = days;
    const int zoom = settings.value(TextZoomKey).toInt(&number);
    if (number)
        values_.textZoom = std::clamp(zoom, MinTextZoom, MaxTextZoom);
    values_.transcriptFont = settings.value(TranscriptFontKey).toString();
    values_.spellingLanguage = settings.value(SpellingLanguageKey).toString();
    if (QFile::exists(path()))
        qCDebug(logFiles).noquote() << "read" << path();
}

template <typename Change> bool Preferences::write(Change change) {
    if (notPlain_ || kindOfFile() == Kind::NotPlain) {
        warn(QCoreApplication::translate("kivo", "Could not save the preferences in %1.")
                 .arg(QDir::toNativeSeparators(path())));
        return false;
    }
    // QSettings never writes over a file it could not parse: a damaged one (already
    // reported, its values unused) makes way for the new one.
    if (std::exchange(damaged_, false))
        QFile::remove(path());
    QSettings settings(path(), QSettings::IniFormat);
    change(settings);
    settings.sync(); // QSettings writes through a temporary file and a rename
    if (settings.status() != QSettings::NoError) {
        warn(QCoreApplication::translate("kivo", "Could not save the preferences in %1.")
                 .arg(QDir::toNativeSeparators(path())));
        return false;
    }
    qCDebug(logFiles).noquote() << "wrote" << path();
    return true;
}

Preferences::~Preferences() {
    if (settling_.isActive())
        writeValues(values_);
}

bool Preferences::writeValues(const Values& values) {
    settling_.stop();
    return write([&values](QSettings& settings) {
        for (const Switch& option : Switches)
            settings.setValue(option.key, values.*option.value ? "true" : "false");
        settings.setValue(HistoryDaysKey, values.historyDays);
        settings.setValue(TextZoomKey, values.textZoom);
        settings.setValue(TranscriptFontKey, values.transcriptFont);
        settings.setValue(SpellingLanguageKey, values.spellingLanguage);
    });
}

void Preferences::take(const Values& values) {
    const bool different = !(values == values_);
    values_ = values;
    if (different)
        Q_EMIT changed();
}

bool Preferences::save(const Values& values) {
    if (!writeValues(values))
        return false;
    take(values);
    return true;
}

void Preferences::saveWhenSettled(const Values& values) {
    take(values);
    settling_.start();
}

QByteArray Preferences::acceptedCertificate(const QString& host, quint16 port) const {
    if (kindOfFile() != Kind::Plain)
        return {};
    const QSettings settings(path(), QSettings::IniFormat);
    return QByteArray::fromHex(settings.value(certificateKey(host, port)).toString().toLatin1());
}

bool Preferences::acceptCertificate(const QString& host, quint16 port,
                                    const QByteArray& fingerprint) {
    return write([&](QSettings& settings) {
        settings.setValue(certificateKey(host, port), QString::fromLatin1(fingerprint.toHex()));
    });
}

qint64 Preferences::linesNotStored() const {
    if (kindOfFile() != Kind::Plain)
        return 0;
    return QSettings(path(), QSettings::IniFormat).value(LinesNotStoredKey).toLongLong();
}

bool Preferences::setLinesNotStored(qint64 lines) {
    return write([lines](QSettings& settings) {
        if (lines > 0)
            settings.setValue(LinesNotStoredKey, lines);
        else
            settings.remove(LinesNotStoredKey);
    });
}

QRect Preferences::windowPlace(const QString& name) const {
    if (kindOfFile() != Kind::Plain)
        return {};
    const QSettings settings(path(), QSettings::IniFormat);
    return settings.value(PlacesGroup + u'/' + name).toRect();
}

bool Preferences::keepWindowPlace(const QString& name, const QRect& place) {
    return write([&](QSettings& settings) {
        settings.beginGroup(PlacesGroup);
        const QStringList kept = settings.allKeys();
        settings.endGroup();
        // Bounded, so that a long list of contacts cannot grow the file past what it may be:
        // the place kept longest ago makes room.
        settings.beginGroup(PlacesUsedGroup);
        QString oldest;
        qint64 oldestUse = std::numeric_limits<qint64>::max();
        qint64 lastUse = 0;
        for (const QString& key : kept) {
            const qint64 use = settings.value(key).toLongLong();
            lastUse = std::max(lastUse, use);
            if (use < oldestUse) {
                oldestUse = use;
                oldest = key;
            }
        }
        settings.setValue(name, lastUse + 1);
        settings.endGroup();
        if (kept.size() >= MaxWindowPlaces && !kept.contains(name)) {
            settings.remove(PlacesGroup + u'/' + oldest);
            settings.remove(PlacesUsedGroup + u'/' + oldest);
        }
        settings.setValue(PlacesGroup + u'/' + name, place);
    });
}

} // namespace kivo
