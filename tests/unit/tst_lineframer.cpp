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
    void framesLines_data()
    {
        QTest::addColumn<QByteArray>("reads"); // reads separated by '|'
        QTest::addColumn<QString>("lines");    // lines framed, separated by '|'
        QTest::addColumn<int>("pending");

        const struct
        {
            const char *tag, *reads, *lines;
            int pending;
        } rows[] = {
            {"one line with CR LF", "OK\r\n", "OK", 0},
            {"several lines in one read", "a=1\nb=2\r\nc=3\n", "a=1|b=2|c=3", 0},
            {"line split over two reads", "wifiSS|ID=plant\n", "wifiSSID=plant", 0},
            {"CR and LF in different reads", "OK\r|\n", "OK", 0},
            {"empty and blank lines skipped", "\n\r\n   \t\nx\n\n", "x", 0},
            {"outer white space trimmed", "  Main  meter \t\n", "Main  meter", 0},
            {"multi-byte character split", "name=Z\xC3|\xBCrich\n", "name=Z\xC3\xBCrich", 0},
            {"byte by byte", "O|K|\r|\n|x|\n", "OK|x", 0},
            {"invalid UTF-8 keeps the line", "bad\xFF\xFEvalue\nnext\n",
             "bad\uFFFD\uFFFDvalue|next", 0},
            {"lone continuation bytes", "\x80\xbf tail\n", "\uFFFD\uFFFD tail", 0},
            {"overlong slash is no slash", "a\xc0\xaf\x62\n", "a\uFFFD\uFFFDb", 0},
            {"overlong NUL is no NUL", "a\xc0\x80\x62\n", "a\uFFFD\uFFFDb", 0},
            {"surrogate half", "x\xed\xa0\x80y\n", "x\uFFFD\uFFFD\uFFFDy", 0},
            {"beyond U+10FFFF", "\xf4\x90\x80\x80z\n", "\uFFFD\uFFFD\uFFFD\uFFFDz", 0},
            {"sequence cut at line end", "abc\xe2\x82\n", "abc\uFFFD\uFFFD", 0},
            {"unterminated tail waits", "first\nsec", "first", 3},
            {"tail read on", "first\nsec|ond\n", "first|second", 0},
        };
        for (const auto &row : rows)
            QTest::newRow(row.tag)
                << QByteArray(row.reads) << QString::fromUtf8(row.lines) << row.pending;
    }
    void framesLines()
    {
        QFETCH(QByteArray, reads);
        QFETCH(QString, lines);
        QFETCH(int, pending);
        LineFramer framer;
        QCOMPARE(feed(framer, reads.split('|')).join('|'), lines);
        QCOMPARE(framer.pendingSize(), pending);
        // Clearing drops the partial line.
        framer.clear();
        QCOMPARE(feed(framer, {"OK\n"}), QStringList{"OK"});
    }

    void boundsAnOverlongLineAndResumesAfterItsLineFeed()
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
        // A line just under the cap, split over reads, passes whole.
        QCOMPARE(feed(framer, {QByteArray(9, 'd'), QByteArray(6, 'd') + "\n"}),
                 QStringList{QString(15, 'd')});
        QVERIFY(!framer.takeOverflow());
    }

    void keepsCompleteLinesBeforeAnOverlongTail()
    {
        LineFramer framer(8);
        QCOMPARE(feed(framer, {"one\ntwo\n" + QByteArray(50, 'x')}), (QStringList{"one", "two"}));
        QVERIFY(framer.takeOverflow());
        QCOMPARE(feed(framer, {"x\nthree\n"}), QStringList{"three"});
    }
};

QTEST_GUILESS_MAIN(TestLineFramer)
#include "tst_lineframer.moc"
