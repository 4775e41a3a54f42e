#include "monitordecoder.h"

#include <QtTest>

#include <cstring>

class TestMonitorDecoder : public QObject
{
    Q_OBJECT

private slots:
    // What each line logs, and what the sampler reads after the last: the
    // last quoted device name and the values of the last register line.
    void decodesLines_data()
    {
        QTest::addColumn<QString>("lines");  // separated by '|'
        QTest::addColumn<QString>("logged"); // by the last line; null: nothing logged
        QTest::addColumn<QString>("name");   // null: name and values not looked at
        QTest::addColumn<QList<quint16>>("registers");

        const auto row = [](const char *tag, const QString &lines, const char *logged,
                            const QString &name = QString(), const QList<quint16> &registers = {}) {
            QTest::newRow(tag) << lines << QString(logged) << name << registers;
        };
        const QString elmeasure = "[RS485] DATA port1 'elMeasure LG+1119'|";
        const QString other = "[RS485] DATA port2 'Main meter'|";
        row("ELMEASURE: second register high", elmeasure + "[0x0000] 0 16256",
            "[0x0000]  =>  1.00   ", "elMeasure LG+1119", {0, 16256});
        row("both zero", elmeasure + "[0x0002] 0 0", "[0x0002]  =>  0.00   ");
        row("several pairs, odd last ignored", other + "[0x0010] 17096 0 49864 0 7",
            "[0x0010]  =>  100.00   -100.00   ", "Main meter", {17096, 0, 49864, 0, 7});
        row("single value", other + "[0x0004] 123", "[0x0004]  =>  ");
        row("no values", other + "[0x0004]", "[0x0004]  =>  ");
        row("runs of white space", other + "[0x0000]   16256 \t  0  ", "[0x0000]  =>  1.00   ");
        row("not a number counts as 0", other + "[0x0000] abc 16256", "[0x0000]  =>  0.00   ");
        row("only the low 16 bits count", other + "[0x0000] 81792 0", "[0x0000]  =>  1.00   ");
        row("beyond 32 bits counts as 0", other + "[0x0000] 4294967296 16256",
            "[0x0000]  =>  0.00   ");
        row("infinity", other + "[0x0000] 32640 0", "[0x0000]  =>  inf   ");
        row("no closing bracket logs nothing, keeps the values", "[0x0000] 1 2|[0x0002 9", nullptr,
            "", {1, 2});
        row("header logged as it is", "[RS485] DATA port2 'Main meter'",
            "[RS485] DATA port2 'Main meter'");
        row("free text logged as it is", "poll timeout on port1", "poll timeout on port1");
        row("first quoted text", "[RS485] OK 'a b' 'c'", "[RS485] OK 'a b' 'c'", "a b");
        // As the pattern "'([^']+)'" reads it: the text between the second and
        // third quote.
        row("empty quotes", "[RS485] DATA '' 'meter'", "[RS485] DATA '' 'meter'", " ");
        row("headers without a name keep the last one",
            "[RS485] DATA 'ELMEASURE'|[RS485] OK no name|[RS485] OK", "[RS485] OK", "ELMEASURE");
        row("unclosed quote keeps the last one", "[RS485] DATA 'm1'|[RS485] DATA 'open",
            "[RS485] DATA 'open", "m1");
        row("values in order", "[RS485] OK 'm'|[0x0000] 1 2 65535", "[0x0000]  =>  0.00   ", "m",
            {1, 2, 65535});
        row("a header empties the values", "[0x0000] 1 2|[RS485] OK 'x'", "[RS485] OK 'x'", "x");
    }
    void decodesLines()
    {
        QFETCH(QString, lines);
        QFETCH(QString, logged);
        QFETCH(QString, name);
        QFETCH(QList<quint16>, registers);
        MonitorDecoder decoder;
        QString text;
        for (const QString &line : lines.split('|'))
            text = decoder.decode(line);
        QCOMPARE(text, logged);
        QCOMPARE(text.isNull(), logged.isNull());
        if (!name.isNull()) {
            QCOMPARE(decoder.deviceName(), name);
            QCOMPARE(decoder.registers(), registers);
        }
    }

    // The decoder formats floats itself for speed; it must print exactly what
    // QString::number does, whatever bits a meter sends.
    void formatsAnyPairAsQtFormatsTheFloat()
    {
        MonitorDecoder decoder;
        decoder.decode("[RS485] DATA 'Main meter'");
        QRandomGenerator random(20261206);
        for (int i = 0; i < 200000; ++i) {
            const quint32 bits = random.generate();
            const quint16 high = bits >> 16;
            const quint16 low = bits & 0xFFFF;
            float value;
            std::memcpy(&value, &bits, sizeof value);
            const QString expected = (high == 0 && low == 0)
                                         ? QStringLiteral("0.00")
                                         : QString::number(double(value), 'f', 2);
            const QString line = QStringLiteral("[0x0000] %1 %2").arg(high).arg(low);
            QCOMPARE(decoder.decode(line), QStringLiteral("[0x0000]  =>  ") + expected + "   ");
        }
    }
};

QTEST_GUILESS_MAIN(TestMonitorDecoder)
#include "tst_monitordecoder.moc"
