#include "secretscrambler.h"

#include <QByteArray>

namespace SecretScrambler {
namespace {

QByteArray xorBytes(QByteArray bytes, quint8 mask)
{
    for (char &byte : bytes)
        byte = char(quint8(byte) ^ mask);
    return bytes;
}

} // namespace

QString scrambleSecret(const QString &text, quint8 mask)
{
    return QString::fromLatin1(xorBytes(text.toUtf8(), mask).toBase64());
}

QString unscrambleSecret(const QString &stored, quint8 mask)
{
    if (stored.isEmpty())
        return {};
    return QString::fromUtf8(xorBytes(QByteArray::fromBase64(stored.toLatin1()), mask));
}

} // namespace SecretScrambler
