#include "monitordecoder.h"
#include "monitorsampler.h"
#include "trendcanvas.h"
#include "trendcsv.h"
#include "trendsampler.h"
#include "trendstore.h"

#include <QPainter>
#include <QtTest>

#include <cmath>
#include <deque>

using Named = QList<QPair<QString, double>>;

static Named named(const TrendSamples &samples)
{
    Named out;
    for (const TrendSample &sample : samples)
        out.append({sample.series, sample.value});
    return out;
}

class TestTrends : public QObject
{
    Q_OBJECT

private slots:
    void ringKeepsTheNewestInTimeOrder()
    {
        TrendSeries series(5);
        for (int i = 0; i < 12; ++i)
            series.append(100 * i, i);
        series.append(50, 99); // a clock stepped back
        QStringList held;      // time:value
        for (qsizetype i = 0; i < series.size(); ++i)
            held << QString("%1:%2").arg(series.at(i).time).arg(series.at(i).value);
        QCOMPARE(held.join(' '), "800:8 900:9 1000:10 1100:11 1100:99");
        QCOMPARE(series.lowerBound(0), 0);
        QCOMPARE(series.lowerBound(901), 2);
        QCOMPARE(series.lowerBound(1100), 3);
        QCOMPARE(series.lowerBound(1101), 5);
    }

    void storeStaysBounded()
    {
        TrendStore store;
        for (int i = 0; i < TrendStore::maxSeries + 10; ++i)
            store.append(QString::number(i), 0, i);
        QCOMPARE(store.count(), TrendStore::maxSeries);
        QVERIFY(!store.series(QString::number(TrendStore::maxSeries)));

        // The series already followed still take samples, up to their capacity.
        for (qsizetype i = 0; i < TrendStore::samplesPerSeries + 5; ++i)
            store.append(QStringLiteral("0"), i, double(i));
        store.append(QStringLiteral("0"), 1e9, std::nan(""));
        const TrendSeries *first = store.series(QStringLiteral("0"));
        QCOMPARE(first->size(), TrendStore::samplesPerSeries);
        QCOMPARE(first->at(first->size() - 1).value, double(TrendStore::samplesPerSeries + 4));

        // Another gateway has series of its own; the first's come back with it.
        store.setGateway("KV-2");
        QCOMPARE(store.count(), 0);
        store.append("KV-2 meter", 0, 1);
        QCOMPARE(store.names(), QStringList{"KV-2 meter"});
        store.setGateway("");
        QCOMPARE(store.count(), TrendStore::maxSeries);
        QCOMPARE(store.series("0")->size(), TrendStore::samplesPerSeries);
    }

    void samplesFromMonitorLines_data()
    {
        QTest::addColumn<QStringList>("lines");
        QTest::addColumn<Named>("samples"); // of the last line

        QTest::newRow("pairs named by device and first register")
            << QStringList{"[RS485] DATA port2 id=2 'Main meter'", "[0x000A] 16256 0 0 0 17096 0 7"}
            << Named{{"Main meter 0x000A", 1.0},
                     {"Main meter 0x000C", 0.0},
                     {"Main meter 0x000E", 100.0},
                     {"Main meter 0x0010", 7.0}}; // the one left over, as 16 bits
        QTest::newRow("ELMEASURE word order")
            << QStringList{"[RS485] OK port1 'ELMEASURE LG'", "[0x00fe] 0 16256"}
            << Named{{"ELMEASURE LG 0x00FE", 1.0}};
        QTest::newRow("address that is not hexadecimal")
            << QStringList{"[RS485] OK 'M'", "[0xZZ] 16256 0 16256 0"}
            << Named{{"M 0xZZ", 1.0}, {"M 0xZZ+2", 1.0}};
        QTest::newRow("more pairs at an address seen before")
            << QStringList{"[RS485] OK 'M'", "[0x0000] 16256 0", "[0x0000] 0 0 16256 0"}
            << Named{{"M 0x0000", 0.0}, {"M 0x0002", 1.0}};
        QTest::newRow("header line gives none")
            << QStringList{"[0x0000] 16256 0", "[RS485] OK 'M'"} << Named{};
        QTest::newRow("free text gives none") << QStringList{"poll timeout"} << Named{};
        QTest::newRow("single register") << QStringList{"[0x0000] 5"} << Named{{"0x0000", 5.0}};
    }
    void samplesFromMonitorLines()
    {
        QFETCH(QStringList, lines);
        QFETCH(Named, samples);
        MonitorDecoder decoder;
        MonitorSampler sampler;
        for (const QString &line : lines) {
            decoder.decode(line);
            sampler.samplesOf(decoder.deviceName(), decoder.address(), decoder.pairValues(),
                              decoder.leftover());
        }
        QCOMPARE(named(sampler.samplesOf(decoder.deviceName(), decoder.address(),
                                         decoder.pairValues(), decoder.leftover())),
                 samples);
    }

    void samplesFromPayloads_data()
    {
        QTest::addColumn<QString>("payload");
        QTest::addColumn<Named>("samples");

        const QString t = "port1 ";
        QTest::newRow("device of the list, numbers only, members in order")
            << R"({"V":230.5,"slave":2,"name":"m","on":true,"s":"12"})"
            << Named{{"Main meter V", 230.5}};
        QTest::newRow("register block: one 16-bit value per register")
            << R"({"slave":2,"reg":10,"values":[231,229]})"
            << Named{{"Main meter 0x000A", 231}, {"Main meter 0x000B", 229}};
        QTest::newRow("slave not in the list")
            << R"({"slave":7,"V":1})" << Named{{"port1 slave 7 V", 1}};
        QTest::newRow("nested objects and arrays")
            << R"({"m":{"I":[1,2],"P":-3e3}})"
            << Named{{t + "m.I[0]", 1}, {t + "m.I[1]", 2}, {t + "m.P", -3000}};
        QTest::newRow("deeper than the cap is skipped")
            << R"({"a":{"b":{"c":{"d":{"x":1}}}},"e":2})" << Named{{t + "e", 2}};
        QTest::newRow("not JSON") << "V=230.5" << Named{};
        QTest::newRow("not an object") << "[1,2]" << Named{};
        QTest::newRow("write result") << R"({"write":"OK"})" << Named{};
    }
    void samplesFromPayloads()
    {
        QFETCH(QString, payload);
        QFETCH(Named, samples);
        // The same slave on the other port is another device.
        const QVariantList devices{
            QVariantMap{{"name", "Other port"}, {"port", "port2"}, {"cmdHex", "0203"}},
            QVariantMap{{"name", "Main meter"}, {"port", "port1"}, {"cmdHex", "0203000A0002"}}};
        QCOMPARE(named(TrendSampler::fromPayload("Kestrelvane/KV-1/pub/port1", payload, devices)),
                 samples);
    }

    // Frame by frame the canvas scrolls and redraws only what changed, and
    // the window takes again only what it says changed; what the window
    // shows must be what a whole drawing of the same columns gives.
    void canvasDrawnInPartsEqualsOneDrawnWhole_data()
    {
        QTest::addColumn<int>("frameTicks");  // how far the clock moves each frame
        QTest::addColumn<int>("columnTicks"); // the time a column spans
        QTest::addColumn<int>("samples");     // samples in a frame, spread over it
        QTest::addColumn<int>("quiet");       // frames with none between two with
        QTest::addColumn<int>("growth");      // how fast the values widen the scale
        QTest::newRow("a column fills over several frames") << 1 << 4 << 1 << 0 << 0;
        QTest::newRow("a column a frame") << 1 << 1 << 1 << 0 << 0;
        QTest::newRow("several columns a frame") << 3 << 1 << 5 << 0 << 0;
        QTest::newRow("a jump past the whole width") << 100 << 1 << 5 << 0 << 0;
        QTest::newRow("the axis moves on between samples") << 1 << 1 << 2 << 2 << 0;
        QTest::newRow("the scale widens") << 2 << 1 << 3 << 0 << 1;
    }

    void canvasDrawnInPartsEqualsOneDrawnWhole()
    {
        QFETCH(int, frameTicks);
        QFETCH(int, columnTicks);
        QFETCH(int, samples);
        QFETCH(int, quiet);
        QFETCH(int, growth);
        const QSize size(64, 40);
        std::deque<TrendCanvas::Column> a, b;
        const std::vector<TrendCanvas::Line> lines{{&a, Qt::yellow}, {&b, Qt::cyan}};
        double reach = 0; // the widest value so far, which the scale follows
        TrendCanvas parts;
        QImage shown(size, QImage::Format_RGB32);
        int sample = 0;
        for (int frame = 1; frame <= 60; ++frame) {
            const int now = frame * frameTicks;
            qint64 changedFrom = std::numeric_limits<qint64>::max();
            for (int i = 1; frame % (quiet + 1) == 0 && i <= samples; ++i, ++sample) {
                const qint64 column = (now - frameTicks + i * frameTicks / samples) / columnTicks;
                changedFrom = qMin(changedFrom, column);
                const double spread = 10 + growth * sample / 4.0;
                for (auto *line : {&a, &b}) {
                    const double value = spread * std::sin(sample * (line == &a ? 0.7 : 1.9));
                    reach = qMax(reach, std::abs(value));
                    if (line->empty() || line->back().index != column)
                        line->push_back({column, value, value, sample % 2 == 0});
                    line->back().least = qMin(line->back().least, value);
                    line->back().most = qMax(line->back().most, value);
                }
            }
            const qint64 first = now / columnTicks - size.width() + 1;
            const double bound = 10 * std::ceil(reach / 10);
            TrendCanvas::Scale scale{-bound, bound + 10, {}};
            for (double v = scale.minimum; v <= scale.maximum; v += 10)
                scale.grid.push_back(v);
            parts.draw(size, first, scale, lines, changedFrom);
            const int taken = parts.takeChangedFrom();
            QPainter(&shown).drawImage(taken, 0, parts.image(), taken, 0);
            TrendCanvas whole;
            whole.draw(size, first, scale, lines, first);
            QVERIFY2(shown == whole.image(), qPrintable(QStringLiteral("frame %1").arg(frame)));
        }
    }

    void csvOfTheShownWindow()
    {
        // Local time with its offset, as the page shows it; one hour east of UTC here.
        qputenv("TZ", "CET-1");
        tzset();
        const qint64 t0 = QDateTime(QDate(2026, 12, 7), QTime(14, 2), Qt::UTC).toMSecsSinceEpoch();
        TrendStore store;
        store.append("A 0x0000", t0 - 1, 5); // before the window
        store.append("A 0x0000", t0, double(1.1f));
        store.append("B, \"V\"", t0, 230.1);
        store.append("B, \"V\"", t0 + 250, -0.5);
        store.append("A 0x0000", t0 + 1000, 2);
        store.append("A 0x0000", t0 + 1000, 3); // same time twice: the later value
        store.append("A 0x0000", t0 + 1001, 9); // after the window

        QCOMPARE(TrendCsv::write(store, {"A 0x0000", "B, \"V\"", "gone"}, t0, t0 + 1000),
                 QByteArray("time,A 0x0000,\"B, \"\"V\"\"\",gone\r\n"
                            "2026-12-07T15:02:00.000+01:00,1.1,230.1,\r\n"
                            "2026-12-07T15:02:00.250+01:00,,-0.5,\r\n"
                            "2026-12-07T15:02:01.000+01:00,3,,\r\n"));
    }
};

QTEST_GUILESS_MAIN(TestTrends)
#include "tst_trends.moc"
