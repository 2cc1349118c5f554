// SPDX-License-Identifier: GPL-3.0-or-later
#include "Modules.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLibrary>
#include <sys/stat.h>
#include <unistd.h>

namespace kivo {
namespace {

// Code is loaded only from a path nobody but the user and the system can change: each folder
// from the root down and the file itself belong to one of them and are writable by no one
// else (a folder such as /tmp that others may write to keeps our entries ours by its sticky
// bit). A build folder that was deleted must not become a place where another user puts code.
bool trustedPath(const QString& path) {
    for (QString at = path;; at = QFileInfo(at).path()) {
        struct stat status {};
        if (stat(QFile::encodeName(at).constData(), &status) != 0)
            return false;
        const bool owned = status.st_uid == 0 || status.st_uid == geteuid();
        const bool othersWrite = (status.st_mode & (S_IWGRP | S_IWOTH)) != 0;
        if (!owned || (othersWrite && !(S_ISDIR(status.st_mode) && (status.st_mode & S_ISVTX))))
            return false;
        if (at == QStringLiteral("/"))
            return true;
    }
}

// Where the modules are: beside the program as installed or built (the same relative place),
// then, for a program file copied elsewhere, where this build put them and where it installs
// them. Fixed when Kivo is built; never the current folder or a path from the environment.
QStringList moduleFolders() {
    // The program's folder from the kernel, as Qt finds it, but also before the application
    // object exists.
    const QString program = QFileInfo(QStringLiteral("/proc/self/exe")).canonicalPath();
    return {QDir::cleanPath(program + QStringLiteral("/" KIVO_MODULE_DIR)),
            QStringLiteral(KIVO_BUILT_MODULE_DIR), QStringLiteral(KIVO_INSTALLED_MODULE_DIR)};
}

} // namespace

QFunctionPointer moduleFunction(const QString& module, const char* function, QString& error) {
    QString tried;
    for (const QString& folder : moduleFolders()) {
        const QString path = folder + u'/' + module + QStringLiteral(".so");
        if (!QFileInfo::exists(path)) {
            tried += (tried.isEmpty() ? QString() : QStringLiteral(", ")) + path;
            continue;
        }
        if (!trustedPath(path)) {
            error = QCoreApplication::translate(
                        "kivo", "%1 is not loaded: someone other than you and the system can "
                                "change it")
                        .arg(path);
            return nullptr;
        }
        // Destroying a QLibrary leaves the library loaded.
        QLibrary library(path);
        const QFunctionPointer found = library.resolve(function);
        if (!found)
            error = library.errorString();
        return found;
    }
    error = QCoreApplication::translate("kivo", "Kivo's module is not installed (looked for %1)")
                .arg(tried);
    return nullptr;
}

} // namespace kivo
