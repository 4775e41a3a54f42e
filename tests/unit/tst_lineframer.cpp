#include "lineframer.h"

#include <QtTest>

class TestLineFramer : public QObject
{
    Q_OBJECT

private slots:
    void framesLines_data()
    {
        QTest::addColumn<QByteArray>("reads"); // reads separated by '|'
        QTest::addColumn<QString>("lines");    // lines framed, separated by '|'
        QTest::addColumn<int>("pending");
        QTest::addColumn<int>("cap");       // the bound of the unterminated tail
        QTest::addColumn<int>("overflows"); // reads after which an overflow was told

        const struct
        {
            const char *tag, *reads, *lines;
            int pending;
            int cap = LineFramer::defaultMaxPending;
            int overflows = 0;
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
            {"line just under the cap", "ddddddddd|dddddd\n", "ddddddddddddddd", 0, 16},
            {"complete lines before an overlong tail", "one\ntwo\nxxxxxxxxx|x\nthree\n",
             "one|two|three", 0, 8, 1},
        };
        for (const auto &row : rows)
            QTest::newRow(row.tag) << QByteArray(row.reads) << QString::fromUtf8(row.lines)
                                   << row.pending << row.cap << row.overflows;
        // Told once; the rest of the line, however long, goes with it.
        QTest::newRow("overlong line dropped up to its line feed")
            << "aaaaaaaaaa|bbbbbbbbbb|" + QByteArrayList(100, QByteArray(1000, 'c')).join('|')
                   + "|tail\nOK\n"
            << "OK" << 0 << 16 << 1;
    }
    void framesLines()
    {
        QFETCH(QByteArray, reads);
        QFETCH(QString, lines);
        QFETCH(int, pending);
        QFETCH(int, cap);
        QFETCH(int, overflows);
        LineFramer framer(cap);
        QStringList framed;
        int told = 0;
        const auto feed = [&](const QByteArray &read) {
            framer.append(read);
            QString line;
            while (framer.nextLine(line))
                framed.append(line);
            told += framer.takeOverflow();
            QVERIFY(framer.pendingSize() <= cap);
        };
        for (const QByteArray &read : reads.split('|'))
            feed(read);
        QCOMPARE(framed.join('|'), lines);
        QCOMPARE(framer.pendingSize(), pending);
        QCOMPARE(told, overflows);
        // Clearing drops the partial line.
        framer.clear();
        framed.clear();
        feed("OK\n");
        QCOMPARE(framed, QStringList{"OK"});
    }
};

QTEST_GUILESS_MAIN(TestLineFramer)
#include "tst_lineframer.moc"
