// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

namespace kivo {

// conference.dat: the last conference name and server name, one per line.
class ConferenceFile {
public:
    static inline const QString FileName = QStringLiteral("conference.dat");

    // Both empty without a file; missing lines read as empty.
    static void LoadConferenceData(QString& conferenceName, QString& serverName);
    static bool SaveConferenceData(const QString& conferenceName, const QString& serverName);
};

} // namespace kivo
