// SPDX-License-Identifier: GPL-3.0-or-later
#include "ConnectionFile.h"

#include "MessageBoxes.h"
#include "StateFiles.h"
#include "Text.h"

#include <QCoreApplication>
#include <limits>

namespace kivo {
namespace {

// Without a file the caller's values stay; lines missing from a short file read as empty.
void takeLine(const TextFileContents& file, qsizetype index, QString& target) {
    if (file.exists())
        target = file.lines.value(index);
}

bool fitsIn32Bits(qint64 value) {
    return value >= std::numeric_limits<qint32>::min() &&
           value <= std::numeric_limits<qint32>::max();
}

} // namespace

void ConnectionFile::LoadConnectionData(QString& username, QString& password, QString& host) {
    const TextFileContents file = readStateFile(FileName);
    takeLine(file, 0, username);
    takeLine(file, 1, password);
    takeLine(file, 2, host);
}

qint64 ConnectionFile::GetSavedPort() {
    const TextFileContents file = readStateFile(FileName);
    if (file.lines.size() < 4 || file.lines.at(3).isEmpty())
        return DefaultPort;
    const std::optional<double> value = numericValue(file.lines.at(3));
    return value ? roundHalfEven(*value) : DefaultPort;
}

bool ConnectionFile::SaveConnectionData(const QString& username, const QString& password,
                                        const QString& host) {
    const qint64 port = GetSavedPort();
    QString portText = QString::number(port);
    if (!fitsIn32Bits(port)) {
        QString ignored;
        LoadConnectionDetails(ignored, ignored, ignored, portText);
    }
    return writeStateFile(FileName, {username, password, host, portText}, FileAccess::OwnerOnly);
}

void ConnectionFile::LoadConnectionDetails(QString& username, QString& password, QString& host,
                                           QString& port) {
    const TextFileContents file = readStateFile(FileName);
    takeLine(file, 0, username);
    takeLine(file, 1, password);
    takeLine(file, 2, host);
    if (file.lines.size() >= 4)
        port = file.lines.at(3);
}

bool ConnectionFile::SaveServerPort(const QString& port) {
    // Lines 1 to 3 are kept from the file: one that cannot be read is not written over.
    const TextFileContents file = readStateFile(FileName);
    if (file.status == TextFileContents::Status::Failed) {
        warn(QCoreApplication::translate("kivo", "The port was not saved: %1 cannot be read "
                                                 "(%2).")
                 .arg(FileName, file.error));
        return false;
    }
    return writeStateFile(FileName,
                          {file.lines.value(0), file.lines.value(1), file.lines.value(2), port},
                          FileAccess::OwnerOnly);
}

} // namespace kivo
