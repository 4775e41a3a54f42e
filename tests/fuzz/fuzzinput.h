#pragma once

#include <QByteArray>
// Qt's meta types name a member "check": they are read before the macro below.
#include <QVariant>

#include <cstddef>
#include <cstdint>

// A broken invariant ends the run as a finding, naming the condition.
#define check(condition) ((condition) ? void() : qFatal("check failed: %s", #condition))

// Takes a fuzzer's bytes apart into small choices and the rest, without ever
// reading past the end.
class FuzzInput
{
public:
    FuzzInput(const uint8_t *data, size_t size)
        : m_data(data)
        , m_size(size)
    {}

    uint8_t byte() { return m_pos < m_size ? m_data[m_pos++] : 0; }

    // Up to `length` bytes, fewer at the end of the input.
    QByteArray bytes(size_t length)
    {
        const size_t n = m_pos + length <= m_size ? length : m_size - m_pos;
        QByteArray out(reinterpret_cast<const char *>(m_data + m_pos), qsizetype(n));
        m_pos += n;
        return out;
    }

    QByteArray rest() { return bytes(m_size - m_pos); }
    bool atEnd() const { return m_pos >= m_size; }

private:
    const uint8_t *m_data;
    size_t m_size;
    size_t m_pos = 0;
};
