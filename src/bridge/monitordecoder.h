#pragma once

#include <QList>
#include <QString>

#include <optional>

// Reads the RS-485 monitor stream of the gateway (port 8880). Header lines
// name the device whose registers follow; register lines are rewritten with
// each register pair shown as a 32-bit float. The word order of the pair
// depends on the meter: ELMEASURE meters send the low half first.
class MonitorDecoder
{
public:
    // The text to log for one trimmed monitor line, or a null string when the
    // line logs nothing (a register line without its closing bracket).
    QString decode(const QString &line);

    QString deviceName() const { return m_deviceName; }
    QList<quint16> registers() const { return m_registers; }
    // The values of the register pairs of the line decoded last, in register
    // order; empty when that line was not a register line.
    const QList<float> &pairValues() const { return m_pairValues; }
    // The register after the last pair of that line, when their count is odd.
    std::optional<quint16> leftover() const { return m_leftover; }
    // The register address text between "[" and "]" of that line ("0x0010").
    const QString &address() const { return m_address; }

private:
    void readHeader(const QString &line);
    QString decodeRegisters(const QString &line);

    QString m_deviceName;
    bool m_lowWordFirst = false;
    QList<quint16> m_registers;
    QList<float> m_pairValues;
    std::optional<quint16> m_leftover;
    QString m_address;
};
