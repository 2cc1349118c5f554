// SPDX-License-Identifier: GPL-3.0-or-later
#include "SettingsFile.h"

#include "StateFiles.h"

namespace kivo {

bool SettingsFile::LoadSettings() {
    const TextFileContents file = readStateFile(FileName);
    if (file.status != TextFileContents::Status::Read)
        return true;
    return !file.lines.isEmpty() && file.lines.first().toLower() == u"true";
}

bool SettingsFile::SaveSettings(bool value) {
    return writeStateFile(FileName, {value ? QStringLiteral("True") : QStringLiteral("False")});
}

} // namespace kivo
