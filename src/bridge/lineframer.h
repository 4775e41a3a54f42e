#pragma once

#include <QByteArray>
#include <QString>

// Cuts the byte stream of the direct link into text lines. Lines end with LF;
// each is decoded from UTF-8 only once complete, so a multi-byte character
// split across two reads survives, and trimmed (which also drops the CR of
// CR LF). The unterminated tail is bounded: a peer that never sends a line
// feed cannot make it grow without limit.
class LineFramer
{
public:
    static constexpr qsizetype defaultMaxPending = 64 * 1024;

    explicit LineFramer(qsizetype maxPending = defaultMaxPending)
        : m_maxPending(maxPending)
    {}

    void append(const QByteArray &bytes);

    // Takes the next complete line that is not empty after trimming.
    bool nextLine(QString &line);

    // True once after an overlong unterminated line was dropped; the rest of
    // that line, up to its line feed, is dropped as well.
    bool takeOverflow();

    qsizetype pendingSize() const { return m_buffer.size() - m_readPos; }
    void clear();

private:
    void compact();

    QByteArray m_buffer;
    qsizetype m_readPos = 0;
    qsizetype m_maxPending;
    bool m_discardingOverlong = false;
    bool m_overflowed = false;
};
