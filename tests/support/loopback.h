#pragma once

#include <QHostAddress>
#include <QString>

// Every test case gets a loopback address of its own, so fixed gateway ports
// never clash between cases or between suites run in parallel: each suite
// owns one third octet.
class LoopbackAddresses
{
public:
    explicit LoopbackAddresses(int suite)
        : m_suite(suite)
    {}

    QHostAddress next()
    {
        m_index = m_index % 250 + 1;
        return QHostAddress(QStringLiteral("127.0.%1.%2").arg(m_suite).arg(m_index + 1));
    }

private:
    int m_suite;
    int m_index = 0;
};
