// SPDX-License-Identifier: GPL-3.0-or-later
#include "StateFiles.h"

#include "Log.h"
#include "MessageBoxes.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>
#include <QStringDecoder>
#include <csignal>
#include <sys/stat.h>

namespace kivo {
namespace {

QString& overridePath() {
    static QString folder;
    return folder;
}

// An installed Kivo has its desktop entry beside its bin folder; its state belongs to the user,
// whoever may write to the program's folder.
bool isInstalled(const QString& executableFolder) {
    return QFileInfo::exists(executableFolder +
                             QStringLiteral("/../share/applications/kivo.desktop"));
}

QString defaultFolder() {
    const QString executableFolder = QCoreApplication::applicationDirPath();
    if (!executableFolder.isEmpty() && QFileInfo(executableFolder).isWritable() &&
        !isInstalled(executableFolder))
        return executableFolder;
    const QString config = QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation);
    StateFolder::create(config);
    return config;
}

// Windows-1252 differs from Latin-1 only in 0x80 to 0x9F; the five unassigned bytes keep
// their C1 code points.
constexpr char16_t Cp1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

QString decodeWindows1252(QByteArrayView bytes) {
    QString text(bytes.size(), Qt::Uninitialized);
    QChar* out = text.data();
    for (const char byte : bytes) {
        const auto value = static_cast<unsigned char>(byte);
        *out++ = (value >= 0x80 && value < 0xA0) ? QChar(Cp1252High[value - 0x80]) : QChar(value);
    }
    return text;
}

} // namespace

QString StateFolder::path() {
    return overridePath().isEmpty() ? defaultFolder() : overridePath();
}

void StateFolder::setPath(const QString& folder) {
    overridePath() = folder;
}

void StateFolder::create(const QString& folder) {
    if (QFileInfo::exists(folder))
        return;
    QDir().mkpath(QFileInfo(folder).absolutePath());
    ::mkdir(QFile::encodeName(folder).constData(), 0700);
}

QString StateFolder::filePath(const QString& fileName) {
    return QDir(path()).filePath(fileName);
}

QString decodeLine(QByteArrayView bytes) {
    QStringDecoder utf8(QStringDecoder::Utf8,
                        QStringDecoder::Flag::Stateless | QStringDecoder::Flag::ConvertInitialBom);
    QString text = utf8.decode(bytes);
    if (utf8.hasError())
        return decodeWindows1252(bytes);
    return text;
}

QStringList decodeLines(QByteArrayView bytes) {
    if (bytes.startsWith("\xEF\xBB\xBF"))
        bytes = bytes.sliced(3);
    QStringList lines;
    qsizetype start = 0;
    const qsizetype size = bytes.size();
    for (qsizetype i = 0; i < size; ++i) {
        const char ch = bytes.at(i);
        if (ch != '\r' && ch != '\n')
            continue;
        lines.append(decodeLine(bytes.sliced(start, i - start)));
        if (ch == '\r' && i + 1 < size && bytes.at(i + 1) == '\n')
            ++i;
        start = i + 1;
    }
    if (start < size)
        lines.append(decodeLine(bytes.sliced(start)));
    return lines;
}

TextFileContents readStateFile(const QString& fileName) {
    return readTextFile(StateFolder::filePath(fileName), MaxStateFileSize);
}

TextFileContents readTextFile(const QString& path, qint64 maxSize) {
    TextFileContents contents;
    const QFileInfo info(path);
    if (!info.exists())
        return contents;
    const auto failed = [&](const QString& error) {
        qCDebug(logFiles).noquote() << "could not read" << path << error;
        contents.status = TextFileContents::Status::Failed;
        contents.error = error;
        return contents;
    };
    if (info.isDir())
        return failed(QCoreApplication::translate("kivo", "it is a folder, not a file"));
    if (info.size() > maxSize)
        return failed(
            QCoreApplication::translate("kivo", "it is too large (%1 bytes)").arg(info.size()));
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return failed(file.errorString());
    // One byte more than the size seen a moment ago tells a file that has grown since.
    const QByteArray bytes = file.read(info.size() + 1);
    if (file.error() != QFileDevice::NoError)
        return failed(file.errorString());
    if (bytes.size() > maxSize)
        return failed(QCoreApplication::translate("kivo", "it is too large"));
    contents.status = TextFileContents::Status::Read;
    contents.lines = decodeLines(bytes);
    qCDebug(logFiles).noquote() << "read" << path << bytes.size() << "bytes";
    return contents;
}

void reportFileSizeLimitAsError() {
    std::signal(SIGXFSZ, SIG_IGN);
}

bool writeStateFile(const QString& fileName, const QStringList& lines, FileAccess access) {
    QByteArray bytes;
    for (const QString& line : lines) {
        bytes += line.toUtf8();
        bytes += "\r\n";
    }
    return writeStateBytes(fileName, bytes, access);
}

bool writeStateBytes(const QString& fileName, const QByteArray& bytes, FileAccess access) {
    const QString path = StateFolder::filePath(fileName);
    QSaveFile file(path);
    bool written = file.open(QIODevice::WriteOnly);
    if (written && access == FileAccess::OwnerOnly)
        written = file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    // QSaveFile can commit a short file after a failed write (full disk, size limit); a
    // failed flush is the one sign of it, so it is checked before the rename.
    if (written) {
        written = file.write(bytes) == bytes.size() && file.flush();
        // A short write sets no reason; writing the rest again fails with it (a full disk,
        // a file size limit).
        if (!written)
            file.flush();
    }
    if (written)
        written = file.commit();
    // The reason is taken before cancelling, which would replace it with its own.
    const QString reason = file.errorString();
    if (written)
        qCDebug(logFiles).noquote() << "wrote" << path << bytes.size() << "bytes";
    if (!written) {
        qCDebug(logFiles).noquote() << "could not write" << path << reason;
        file.cancelWriting();
        warn(QCoreApplication::translate("kivo", "Could not save %1: %2\nThe file on disk was "
                                                 "left as it was.")
                 .arg(QDir::toNativeSeparators(path), reason));
    }
    return written;
}

} // namespace kivo
