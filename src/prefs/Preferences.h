// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "ClockTimer.h"

#include <QByteArray>
#include <QObject>
#include <QRect>
#include <QString>

namespace kivo {

// The options beyond the description, in kivo.ini (INI) in the state folder, with their
// defaults in one place. At its defaults every described behaviour is as described.
class Preferences : public QObject {
    Q_OBJECT
public:
    static inline const QString FileName = QStringLiteral("kivo.ini");
    // A larger kivo.ini is not Kivo's: it is not read.
    static constexpr qint64 MaxFileSize = 1024 * 1024;
    // Text zoom in points from the default size: from small print to reading across a room.
    static constexpr int MinTextZoom = -4;
    static constexpr int MaxTextZoom = 16;
    static constexpr qsizetype MaxWindowPlaces = 200;

    struct Values {
        bool notifications = true; // tell of messages that come while Kivo is in the background
        bool reconnect = false;    // reconnect by itself after a lost connection
        bool history = false;      // keep a history of conversations
        int historyDays = 0;       // remove history older than this; 0 keeps it forever
        bool keyring = false;      // the password in the desktop's keyring, not connection.dat
        bool tls = false;          // connect with TLS
        bool bringToFront = true;  // a message brings its window to the front, as described
        bool highlightMentions = false; // room lines naming the user on the highlight colour
        bool strangerWindows = false;   // messages from people not in the contacts open windows
        bool rememberPlaces = false;    // windows reopen where they were
        bool keepUnsentText = false;    // what was typed and not sent stays for next time
        bool conversationTabs = false;  // conversations as tabs of one window
        bool spelling = true;           // check the spelling of the message line, when a
                                        // dictionary is installed
        QString spellingLanguage;       // its dictionary; empty: the locale's
        bool trayIcon = false;          // Kivo in the desktop's notification area
        bool keepRunning = false;       // there, when the main window is closed
        int textZoom = 0;               // points added to the transcripts' and contact list's text
        QString transcriptFont;         // as QFont::toString() gives it; empty: the system's

        bool operator==(const Values&) const = default;
    };

    // Changes that come in a burst (zoom steps) are written once none came for this long.
    static constexpr int SettleTime = 1000; // ms

    explicit Preferences(QObject* parent = nullptr);
    // Writes what has not settled yet.
    ~Preferences() override;

    // Reads kivo.ini; a damaged or unreadable file gives the defaults and one message.
    void load();
    // Writes kivo.ini atomically; a failure is reported and keeps the values in use.
    bool save(const Values& values);
    // Takes the values at once and writes them once the changes have settled.
    void saveWhenSettled(const Values& values);
    const Values& values() const { return values_; }

    // The SHA-256 fingerprint of the certificate the user accepted for a server; empty when
    // none was. Trust on first use, kept beside the options.
    QByteArray acceptedCertificate(const QString& host, quint16 port) const;
    bool acceptCertificate(const QString& host, quint16 port, const QByteArray& fingerprint);

    // Lines the history could not store before Kivo last ended, said at the next start.
    qint64 linesNotStored() const;
    bool setLinesNotStored(qint64 lines);

    // A window's place (position and size) as last kept under its name; invalid when none.
    QRect windowPlace(const QString& name) const;
    bool keepWindowPlace(const QString& name, const QRect& place);

Q_SIGNALS:
    void changed();

private:
    // Writes kivo.ini through `change`; says so when it cannot.
    template <typename Change> bool write(Change change);
    bool writeValues(const Values& values);
    // The values in use from now on.
    void take(const Values& values);

    Values values_;
    bool damaged_ = false;
    bool notPlain_ = false; // a link or a folder: never written through
    ClockTimer settling_;
};

} // namespace kivo
