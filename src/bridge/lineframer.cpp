#include "lineframer.h"

void LineFramer::append(const QByteArray &bytes)
{
    qsizetype start = 0;
    if (m_discardingOverlong) {
        const qsizetype newline = bytes.indexOf('\n');
        if (newline < 0)
            return;
        m_discardingOverlong = false;
        start = newline + 1;
    }

    compact();
    m_buffer.append(bytes.constData() + start, bytes.size() - start);

    const qsizetype lastNewline = m_buffer.lastIndexOf('\n');
    const qsizetype tailStart = lastNewline < 0 ? m_readPos : lastNewline + 1;
    if (m_buffer.size() - tailStart > m_maxPending) {
        m_buffer.truncate(tailStart);
        m_discardingOverlong = true;
        m_overflowed = true;
    }
}

bool LineFramer::nextLine(QString &line)
{
    while (m_readPos < m_buffer.size()) {
        const qsizetype newline = m_buffer.indexOf('\n', m_readPos);
        if (newline < 0)
            break;
        const char *begin = m_buffer.constData() + m_readPos;
        const qsizetype length = newline - m_readPos;
        m_readPos = newline + 1;
        line = QString::fromUtf8(begin, length).trimmed();
        if (!line.isEmpty())
            return true;
    }
    compact();
    return false;
}

bool LineFramer::takeOverflow()
{
    const bool overflowed = m_overflowed;
    m_overflowed = false;
    return overflowed;
}

void LineFramer::clear()
{
    m_buffer.clear();
    m_readPos = 0;
    m_discardingOverlong = false;
    m_overflowed = false;
}

// Consumed bytes are dropped in one go rather than line by line, which keeps
// a read of many short lines linear in its size.
void LineFramer::compact()
{
    if (m_readPos == 0)
        return;
    m_buffer.remove(0, m_readPos);
    m_readPos = 0;
}
