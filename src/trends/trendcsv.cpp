#include "trendcsv.h"

#include "trendstore.h"

#include <QDateTime>

#include <charconv>
#include <limits>
#include <vector>

namespace TrendCsv {

namespace {

QByteArray field(const QString &text)
{
    QByteArray bytes = text.toUtf8();
    if (!bytes.contains(',') && !bytes.contains('"') && !bytes.contains('\n')
        && !bytes.contains('\r'))
        return bytes;
    bytes.replace('"', "\"\"");
    return '"' + bytes + '"';
}

} // namespace

QString formatValue(double value)
{
    char digits[64];
    const float single = float(value);
    const auto result = double(single) == value
                            ? std::to_chars(digits, digits + sizeof digits, single)
                            : std::to_chars(digits, digits + sizeof digits, value);
    return QString::fromLatin1(digits, result.ptr - digits);
}

QString formatTime(qint64 msecsSinceEpoch)
{
    // Local time, as the page shows it, with its offset so that the text
    // still names one instant after a move or a change to summer time.
    const QDateTime local = QDateTime::fromMSecsSinceEpoch(msecsSinceEpoch);
    return local.toOffsetFromUtc(local.offsetFromUtc()).toString(Qt::ISODateWithMs);
}

QByteArray write(const TrendStore &store, const QStringList &series, qint64 from, qint64 to)
{
    struct Cursor
    {
        const TrendSeries *series;
        qsizetype next;
    };
    std::vector<Cursor> cursors;
    QByteArray out = "time";
    for (const QString &name : series) {
        const TrendSeries *samples = store.series(name);
        cursors.push_back({samples, samples ? samples->lowerBound(from) : 0});
        out += ',' + field(name);
    }
    out += "\r\n";

    // A merge of the series by time: each row takes the earliest pending
    // time and, from every series, the sample it has at that time (the
    // latest, when one time holds several: a row per time).
    constexpr qint64 none = std::numeric_limits<qint64>::max();
    const auto pendingTime = [to](const Cursor &cursor) {
        if (!cursor.series || cursor.next >= cursor.series->size())
            return none;
        const qint64 time = cursor.series->at(cursor.next).time;
        return time <= to ? time : none;
    };
    for (;;) {
        qint64 time = none;
        for (const Cursor &cursor : cursors)
            time = qMin(time, pendingTime(cursor));
        if (time == none)
            break;
        out += formatTime(time).toLatin1();
        for (Cursor &cursor : cursors) {
            out += ',';
            if (pendingTime(cursor) != time)
                continue;
            while (cursor.next + 1 < cursor.series->size()
                   && cursor.series->at(cursor.next + 1).time == time)
                ++cursor.next;
            out += formatValue(cursor.series->at(cursor.next++).value).toLatin1();
        }
        out += "\r\n";
    }
    return out;
}

} // namespace TrendCsv
