#include "lineframer.h"

#include <QtTest>

namespace {

QStringList feed(LineFramer &framer, const QList<QByteArray> &reads)
{
    QStringList lines;
    for (const QByteArray &read : reads) {
        framer.append(read);
        QString line;
        while (framer.nextLine(line))
            lines.append(line);
    }
    return lines;
}

} // namespace

class TestLineFramer : public QObject
{
    Q_OBJECT

private slots:
    void framesLines_data();
    void framesLines();
    void keepsTheUnterminatedTailForTheNextRead();
    void boundsAnOverlongLineAndResumesAfterItsLineFeed();
    void keepsCompleteLinesBeforeAnOverlongTail();
    void clearDropsThePartialLine();
};

void TestLineFramer::framesLines_data()
{
    QTest::addColumn<QList<QByteArray>>("reads");
    QTest::addColumn<QStringList>("lines");

    QTest::newRow("one line with CR LF") << QList<QByteArray>{"OK\r\n"} << QStringList{"OK"};
    QTest::newRow("several lines in one read")
        << QList<QByteArray>{"a=1\nb=2\r\nc=3\n"} << QStringList{"a=1", "b=2", "c=3"};
    QTest::newRow("line split over two reads")
        << QList<QByteArray>{"wifiSS", "ID=plant\n"} << QStringList{"wifiSSID=plant"};
    QTest::newRow("CR and LF in different reads")
        << QList<QByteArray>{"OK\r", "\n"} << QStringList{"OK"};
    QTest::newRow("empty and blank lines are skipped")
        << QList<QByteArray>{"\n\r\n   \t\nx\n\n"} << QStringList{"x"};
    QTest::newRow("surrounding white space trimmed, inner kept")
        << QList<QByteArray>{"  Main  meter \t\n"} << QStringList{"Main  meter"};
    QTest::newRow("multi-byte character split across reads")
        << QList<QByteArray>{"name=Z\xC3", "\xBCrich\n"}
        << QStringList{QStringLiteral("name=Zürich")};
    QTest::newRow("byte by byte") << QList<QByteArray>{"O", "K", "\r", "\n", "x", "\n"}
                                  << QStringList{"OK", "x"};
    QTest::newRow("invalid UTF-8 does not swallow the line")
        << QList<QByteArray>{"bad\xFF\xFEvalue\nnext\n"}
        << QStringList{QString::fromUtf8("bad\xFF\xFEvalue"), "next"};
}

void TestLineFramer::framesLines()
{
    QFETCH(QList<QByteArray>, reads);
    QFETCH(QStringList, lines);
    LineFramer framer;
    QCOMPARE(feed(framer, reads), lines);
    QCOMPARE(framer.pendingSize(), 0);
}

void TestLineFramer::keepsTheUnterminatedTailForTheNextRead()
{
    LineFramer framer;
    QCOMPARE(feed(framer, {"first\nsec"}), QStringList{"first"});
    QCOMPARE(framer.pendingSize(), 3);
    QCOMPARE(feed(framer, {"ond\n"}), QStringList{"second"});
}

void TestLineFramer::boundsAnOverlongLineAndResumesAfterItsLineFeed()
{
    LineFramer framer(16);
    QCOMPARE(feed(framer, {QByteArray(10, 'a')}), QStringList{});
    QVERIFY(!framer.takeOverflow());

    QCOMPARE(feed(framer, {QByteArray(10, 'b')}), QStringList{});
    QVERIFY(framer.takeOverflow());
    QVERIFY(!framer.takeOverflow()); // reported once
    QCOMPARE(framer.pendingSize(), 0);

    // The rest of the overlong line, however long, is dropped with it.
    for (int i = 0; i < 100; ++i)
        QCOMPARE(feed(framer, {QByteArray(1000, 'c')}), QStringList{});
    QCOMPARE(framer.pendingSize(), 0);
    QCOMPARE(feed(framer, {"tail\nOK\n"}), QStringList{"OK"});
}

void TestLineFramer::keepsCompleteLinesBeforeAnOverlongTail()
{
    LineFramer framer(8);
    QCOMPARE(feed(framer, {"one\ntwo\n" + QByteArray(50, 'x')}), (QStringList{"one", "two"}));
    QVERIFY(framer.takeOverflow());
    QCOMPARE(feed(framer, {"x\nthree\n"}), QStringList{"three"});
}

void TestLineFramer::clearDropsThePartialLine()
{
    LineFramer framer;
    feed(framer, {"[0x0000] 1 2"});
    framer.clear();
    QCOMPARE(feed(framer, {"OK\n"}), QStringList{"OK"});
}

QTEST_GUILESS_MAIN(TestLineFramer)
#include "tst_lineframer.moc"
