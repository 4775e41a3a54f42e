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

    // The samples of a monitor line, after the lines before it, and of a
    // payload on a port topic.
    void samples_data()
    {
        QTest::addColumn<QStringList>("lines"); // on the monitor port
        QTest::addColumn<QString>("payload");   // on port 1's topic; null: the lines are read
        QTest::addColumn<Named>("samples");     // of the last line, or of the payload

        const auto lines = [](const char *tag, const QStringList &lines, const Named &samples) {
            QTest::newRow(tag) << lines << QString() << samples;
        };
        const auto payload = [](const char *tag, const char *payload, const Named &samples) {
            QTest::newRow(tag) << QStringList() << QString(payload) << samples;
        };
        const QString t = "port1 ", m = "Main meter 0x000";
        lines("pairs named by device and first register",
              {"[RS485] DATA port2 id=2 'Main meter'", "[0x000A] 16256 0 0 0 17096 0 7"},
              {{m + "A", 1.0}, {m + "C", 0.0}, {m + "E", 100.0}, {"Main meter 0x0010", 7.0}});
        // The one left over above is taken as 16 bits.
        lines("ELMEASURE word order", {"[RS485] OK port1 'ELMEASURE LG'", "[0x00fe] 0 16256"},
              {{"ELMEASURE LG 0x00FE", 1.0}});
        lines("address that is not hexadecimal", {"[RS485] OK 'M'", "[0xZZ] 16256 0 16256 0"},
              {{"M 0xZZ", 1.0}, {"M 0xZZ+2", 1.0}});
        lines("more pairs at an address seen before",
              {"[RS485] OK 'M'", "[0x0000] 16256 0", "[0x0000] 0 0 16256 0"},
              {{"M 0x0000", 0.0}, {"M 0x0002", 1.0}});
        lines("header line gives none", {"[0x0000] 16256 0", "[RS485] OK 'M'"}, {});
        lines("free text gives none", {"poll timeout"}, {});
        lines("single register", {"[0x0000] 5"}, {{"0x0000", 5.0}});
        payload("device of the list, numbers only, members in order",
                "{\"V\":230.5,\"slave\":2,\"name\":\"m\",\"on\":true,\"s\":\"12\"}",
                {{"Main meter V", 230.5}});
        payload("register block: one 16-bit value per register",
                "{\"slave\":2,\"reg\":10,\"values\":[231,229]}", {{m + "A", 231}, {m + "B", 229}});
        payload("slave not in the list", "{\"slave\":7,\"V\":1}", {{"port1 slave 7 V", 1}});
        payload("nested objects and arrays", "{\"m\":{\"I\":[1,2],\"P\":-3e3}}",
                {{t + "m.I[0]", 1}, {t + "m.I[1]", 2}, {t + "m.P", -3000}});
        payload("deeper than the cap is skipped",
                "{\"a\":{\"b\":{\"c\":{\"d\":{\"x\":1}}}},\"e\":2}", {{t + "e", 2}});
        payload("not JSON", "V=230.5", {});
        payload("not an object", "[1,2]", {});
        payload("write result", "{\"write\":\"OK\"}", {});
    }
    void samples()
    {
        QFETCH(QStringList, lines);
        QFETCH(QString, payload);
        QFETCH(Named, samples);
        // The same slave on the other port is another device.
        const QVariantList devices{
            QVariantMap{{"name", "Other port"}, {"port", "port2"}, {"cmdHex", "0203"}},
            QVariantMap{{"name", "Main meter"}, {"port", "port1"}, {"cmdHex", "0203000A0002"}}};
        MonitorDecoder decoder;
        MonitorSampler sampler;
        TrendSamples taken;
        for (const QString &line : lines) {
            decoder.decode(line);
            taken = sampler.samplesOf(decoder.deviceName(), decoder.address(), decoder.pairValues(),
                                      decoder.leftover());
        }
        if (!payload.isNull())
            taken = TrendSampler::fromPayload("Kestrelvane/KV-1/pub/port1", payload, devices);
        QCOMPARE(named(taken), samples);
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
