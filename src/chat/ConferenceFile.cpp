// SPDX-License-Identifier: GPL-3.0-or-later
#include "ConferenceFile.h"

#include "StateFiles.h"

namespace kivo {

void ConferenceFile::LoadConferenceData(QString& conferenceName, QString& serverName) {
    const TextFileContents file = readStateFile(FileName);
    conferenceName = file.lines.value(0);
    serverName = file.lines.value(1);
}

bool ConferenceFile::SaveConferenceData(const QString& conferenceName, const QString& serverName) {
    return writeStateFile(FileName, {conferenceName, serverName});
}

} // namespace kivo
