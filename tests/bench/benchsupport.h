#pragma once

// Small helpers the benchmark programs share.
#include <QCoreApplication>
#include <QFile>
#include <QList>
#include <QStringList>
#include <QTextStream>

#include <algorithm>
#include <cstdlib>
#include <unistd.h>

inline QTextStream &out()
{
    static QTextStream stream(stdout);
    return stream;
}

[[noreturn]] inline void fail(const QString &why)
{
    QTextStream(stderr) << QCoreApplication::applicationName() << ": " << why << Qt::endl;
    std::exit(1);
}

inline double median(QList<double> values)
{
    if (values.isEmpty())
        return 0;
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// Processor seconds (user and system) that a /proc stat file reports for a
// process or a thread, with the command name it reports; 0 when it is gone.
inline double statCpuSeconds(const QString &statPath, QByteArray *name = nullptr)
{
    QFile stat(statPath);
    if (!stat.open(QIODevice::ReadOnly))
        return 0;
    const QByteArray text = stat.readAll();
    const qsizetype open = text.indexOf('(');
    const qsizetype close = text.lastIndexOf(')');
    if (open < 0 || close < 0)
        return 0;
    if (name)
        *name = text.mid(open + 1, close - open - 1);
    // The name may hold spaces: after it come the state, ten fields, then
    // utime and stime.
    const QList<QByteArray> fields = text.mid(close + 2).split(' ');
    if (fields.size() < 13)
        return 0;
    return (fields[11].toDouble() + fields[12].toDouble()) / double(sysconf(_SC_CLK_TCK));
}

inline double processCpuSeconds(qint64 pid)
{
    return statCpuSeconds(QStringLiteral("/proc/%1/stat").arg(pid));
}

// Resident set size of this process in kB.
inline qint64 residentKb()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').value(0).toLongLong();
    }
    return 0;
}
