// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QString>

namespace kivo {

// UTF-8 without a byte-order mark.
QByteArray StringToUTF8(const QString& text);
// Invalid sequences become U+FFFD; a leading byte-order mark is dropped.
QString UTF8ToString(const QByteArray& bytes);

// One protocol line: the command's UTF-8 bytes followed by CR LF.
QByteArray commandLine(const QString& command);

} // namespace kivo
