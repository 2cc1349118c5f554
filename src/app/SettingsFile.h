// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

namespace kivo {

// settings.dat: one line, True or False, the auto-connect switch.
class SettingsFile {
public:
    static inline const QString FileName = QStringLiteral("settings.dat");

    // On when there is no file (or it cannot be read); otherwise on exactly when the first
    // line is "true" in any letter case. An empty file is off.
    static bool LoadSettings();
    static bool SaveSettings(bool value);
};

} // namespace kivo
