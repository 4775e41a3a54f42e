#include "monitordecoder.h"

#include <QStringView>

#include <charconv>
#include <cmath>
#include <cstring>

namespace {

// The first text between single quotes, as "'([^']+)'" would find it.
QStringView firstQuoted(QStringView line)
{
    qsizetype from = 0;
    for (;;) {
        const qsizetype open = line.indexOf(QLatin1Char('\''), from);
        if (open < 0)
            return {};
        const qsizetype close = line.indexOf(QLatin1Char('\''), open + 1);
        if (close < 0)
            return {};
        if (close > open + 1)
            return line.mid(open + 1, close - open - 1);
        from = close;
    }
}

// Numbers that are not decimal or do not fit 32 bits count as 0; only the low
// 16 bits of a register value are kept.
quint16 readRegister(QStringView token)
{
    bool ok = false;
    const uint value = token.toUInt(&ok, 10);
    return ok ? quint16(value & 0xFFFF) : 0;
}

float floatFromWords(quint16 high, quint16 low)
{
    const quint32 bits = (quint32(high) << 16) | low;
    float value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

// Fixed notation with two decimals, digit for digit as QString::number(v,
// 'f', 2) prints it, without its locale lookup and allocation per value.
// to_chars breaks exact ties to even where Qt rounds them away from zero; a
// float times 100 is exact in a double, so ties are found exactly and the
// value nudged by one double ulp, far below the float's own spacing.
void appendFixed2(QString &out, float value)
{
    if (std::isnan(value)) {
        out += QLatin1String("nan");
        return;
    }
    double exact = value;
    const double hundredths = exact * 100.0;
    if (std::abs(hundredths - std::trunc(hundredths)) == 0.5)
        exact = std::nextafter(exact, exact < 0 ? -HUGE_VAL : HUGE_VAL);
    char digits[64];
    const auto result =
        std::to_chars(digits, digits + sizeof digits, exact, std::chars_format::fixed, 2);
    out += QLatin1String(digits, result.ptr - digits);
}

} // namespace

QString MonitorDecoder::decode(const QString &line)
{
    m_pairValues.clear();
    m_leftover.reset();
    if (line.contains(QLatin1String("[RS485] OK"))
        || line.contains(QLatin1String("[RS485] DATA"))) {
        readHeader(line);
        return line;
    }
    if (!line.startsWith(QLatin1String("[0x")))
        return line;
    return decodeRegisters(line);
}

void MonitorDecoder::readHeader(const QString &line)
{
    const QStringView name = firstQuoted(line);
    if (!name.isEmpty()) {
        m_deviceName = name.toString();
        m_lowWordFirst = m_deviceName.contains(QLatin1String("elmeasure"), Qt::CaseInsensitive);
    }
    m_registers.clear();
}

QString MonitorDecoder::decodeRegisters(const QString &line)
{
    const qsizetype close = line.indexOf(QLatin1Char(']'));
    if (close < 0)
        return {};

    m_registers.clear();
    m_address = line.mid(1, close - 1);
    const QStringView values = QStringView(line).mid(close + 1);
    qsizetype pos = 0;
    while (pos < values.size()) {
        while (pos < values.size() && values[pos].isSpace())
            ++pos;
        const qsizetype start = pos;
        while (pos < values.size() && !values[pos].isSpace())
            ++pos;
        if (pos > start)
            m_registers.append(readRegister(values.mid(start, pos - start)));
    }

    if (m_registers.size() % 2 == 1)
        m_leftover = m_registers.last();

    QString out;
    out.reserve(close + 8 + m_registers.size() * 8);
    out += QStringView(line).left(close + 1);
    out += QLatin1String("  =>  ");
    for (qsizetype i = 0; i + 1 < m_registers.size(); i += 2) {
        const quint16 first = m_registers[i];
        const quint16 second = m_registers[i + 1];
        if (first == 0 && second == 0) {
            m_pairValues.append(0.0f);
            out += QLatin1String("0.00   ");
            continue;
        }
        const float value =
            m_lowWordFirst ? floatFromWords(second, first) : floatFromWords(first, second);
        m_pairValues.append(value);
        appendFixed2(out, value);
        out += QLatin1String("   ");
    }
    return out;
}
