// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArrayView>
#include <QString>
#include <QStringList>

namespace kivo {

// The folder that holds the four state files: the executable's folder when it is writable
// (a build tree, a copied program), otherwise, and always for an installed program, the
// per-user configuration folder.
class StateFolder {
public:
    static QString path();
    // Tests and the --state-folder option use their own folder; empty restores the rule.
    static void setPath(const QString& folder);
    static QString filePath(const QString& fileName);
    // Makes the folder when it is missing, readable by its owner only.
    static void create(const QString& folder);
};

struct TextFileContents {
    enum class Status { Missing, Read, Failed };
    Status status = Status::Missing;
    QStringList lines;
    QString error; // why it failed, for the user

    bool exists() const { return status != Status::Missing; }
};

// Files larger than this are not ours: they are refused rather than read into memory.
inline constexpr qint64 MaxStateFileSize = 64 * 1024 * 1024;

// Reads a state file line by line, as decodeLines() does. Reports nothing itself.
TextFileContents readStateFile(const QString& fileName);
// The same for a file anywhere, no larger than `maxSize`.
TextFileContents readTextFile(const QString& path, qint64 maxSize);

// A write beyond the process's file size limit then fails and is reported like a full disk,
// instead of the signal for it ending the program. Called once at start-up.
void reportFileSizeLimitAsError();

enum class FileAccess { Shared, OwnerOnly };

// Writes the lines as UTF-8, each ended by CR LF, atomically: a failure leaves the old file as
// it was and is reported in a message box. Returns whether the file was written.
bool writeStateFile(const QString& fileName, const QStringList& lines,
                    FileAccess access = FileAccess::Shared);
// The same for bytes made by the caller, written as they are.
bool writeStateBytes(const QString& fileName, const QByteArray& bytes,
                     FileAccess access = FileAccess::Shared);

// The lines of a file's bytes: CR LF, CR or LF end a line, a leading byte-order mark is
// dropped, and each line is UTF-8 when it is valid UTF-8 and Windows-1252 otherwise, so one
// line added by a Windows editor does not change how the others read.
QStringList decodeLines(QByteArrayView bytes);

} // namespace kivo
