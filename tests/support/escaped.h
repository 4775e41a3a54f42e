#pragma once

#include <QByteArray>

// Bytes shown with CR, LF and other control characters visible, so that a
// missing CR LF stands out in a failed comparison.
inline QByteArray escaped(const QByteArray &bytes)
{
    QByteArray out;
    for (const char c : bytes) {
        switch (c) {
        case '\r':
            out += "\\r";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\\':
            out += "\\\\";
            break;
        default:
            if (quint8(c) < 0x20 || quint8(c) >= 0x7F)
                out += "\\x" + QByteArray::number(quint8(c), 16).rightJustified(2, '0');
            else
                out += c;
        }
    }
    return out;
}

#define COMPARE_BYTES(actual, expected) QCOMPARE(escaped(actual), escaped(expected))
