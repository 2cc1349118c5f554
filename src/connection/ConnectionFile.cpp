#include "ConnectionFile.h"

#include "StateFiles.h"
#include "Text.h"

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
    QString username, password, host, oldPort;
    LoadConnectionDetails(username, password, host, oldPort);
    return writeStateFile(FileName, {username, password, host, port}, FileAccess::OwnerOnly);
}

} // namespace kivo
