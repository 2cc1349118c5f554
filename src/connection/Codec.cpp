// SPDX-License-Identifier: GPL-3.0-or-later
#include "Codec.h"

#include <QStringDecoder>

namespace kivo {

QByteArray StringToUTF8(const QString& text) {
    return text.toUtf8();
}

QString UTF8ToString(const QByteArray& bytes) {
    QStringDecoder decoder(QStringDecoder::Utf8);
    return decoder.decode(bytes);
}

QByteArray commandLine(const QString& command) {
    return StringToUTF8(command + QStringLiteral("\r\n"));
}

} // namespace kivo
