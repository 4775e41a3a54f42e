#include "logstore.h"

#include <QAbstractItemModelTester>
#include <QtTest>

namespace {

QStringList rows(const LogStore &store)
{
    QStringList shown;
    for (int row = 0; row < store.rowCount(); ++row)
        shown.append(store.index(row).data(LogStore::TextRole).toString());
    return shown;
}

} // namespace

class TestLogStore : public QObject
{
    Q_OBJECT

private slots:
    void holdsTheNewestWholeLinesInOrder_data()
    {
        QTest::addColumn<QStringList>("appended");
        QTest::addColumn<qsizetype>("maxBytes");
        QTest::addColumn<bool>("flushBetween");
        QTest::addColumn<QStringList>("held");

        // A line costs its characters and its line feed, two bytes each.
        const QStringList five{"one", "two", "three", "four", "five"};
        QTest::newRow("under the cap all stay") << five << qsizetype(1000) << false << five;
        QTest::newRow("over the cap the oldest whole lines go")
            << five << qsizetype(20) << false << QStringList{"four", "five"};
        QTest::newRow("the same when the dropped lines had been shown")
            << five << qsizetype(20) << true << QStringList{"four", "five"};
        QTest::newRow("a line beyond the cap alone is kept")
            << QStringList{"a", QString(50, 'x')} << qsizetype(20) << false
            << QStringList{QString(50, 'x')};
        QTest::newRow("line feeds inside a line start rows")
            << QStringList{"[t] a\nb\n", "c"} << qsizetype(1000) << false
            << QStringList{"[t] a", "b", "", "c"};
        QTest::newRow("empty lines are lines")
            << QStringList{"", "x", ""} << qsizetype(1000) << true << QStringList{"", "x", ""};
    }

    void holdsTheNewestWholeLinesInOrder()
    {
        QFETCH(QStringList, appended);
        QFETCH(qsizetype, maxBytes);
        QFETCH(bool, flushBetween);
        QFETCH(QStringList, held);

        LogStore store;
        QAbstractItemModelTester tester(&store,
                                        QAbstractItemModelTester::FailureReportingMode::QtTest);
        store.setMaxBytes(maxBytes);
        // Every line is announced at once, for the recorder, whatever is kept.
        QSignalSpy announced(&store, &LogStore::linesAppended);
        for (const QString &line : appended) {
            store.appendLine(line);
            QCOMPARE(announced.value(0).value(0).toStringList(), line.split('\n'));
            announced.clear();
            if (flushBetween)
                store.flush();
        }
        QCOMPARE(store.text(), held.join('\n') + '\n');
        QCOMPARE(store.count(), held.size());
        QVERIFY(store.byteSize() <= maxBytes || held.size() == 1);
        store.flush();
        QCOMPARE(rows(store), held);
    }

    // A steady stream reaches the views at most about every 80 ms, however
    // fast its lines come (a view lays out each batch), and a lone line after
    // a quiet spell at once.
    void streamReachesTheViewsInBatchesALoneLineAtOnce()
    {
        LogStore store;
        QSignalSpy inserted(&store, &QAbstractItemModel::rowsInserted);
        QTimer stream;
        stream.setTimerType(Qt::PreciseTimer);
        int sent = 0;
        connect(&stream, &QTimer::timeout, &store,
                [&] { store.appendLine(QString::number(++sent)); });
        QElapsedTimer clock;
        clock.start();
        stream.start(2);
        QTRY_VERIFY_WITH_TIMEOUT(clock.elapsed() >= 1000, 3000);
        stream.stop();
        const qint64 elapsed = clock.elapsed();
        QVERIFY2(sent >= 50, qPrintable(QString::number(sent))); // far more than one a batch
        QVERIFY2(
            inserted.count() <= elapsed / 80 + 2,
            qPrintable(QStringLiteral("%1 batches in %2 ms").arg(inserted.count()).arg(elapsed)));

        store.flush();
        clock.restart();
        QTRY_VERIFY(clock.elapsed() >= 100); // quiet
        store.appendLine("lone");
        clock.restart();
        QVERIFY(inserted.wait(1000));
        QVERIFY2(clock.elapsed() < 40, qPrintable(QString::number(clock.elapsed())));
    }

    // The views get one model change per batch, however many lines or clears
    // came between; readers of the text see each at once.
    void viewsGetOneChangePerBatch()
    {
        LogStore store;
        QAbstractItemModelTester tester(&store,
                                        QAbstractItemModelTester::FailureReportingMode::QtTest);
        store.setMaxBytes(40'000);
        QSignalSpy inserted(&store, &QAbstractItemModel::rowsInserted);
        QSignalSpy removed(&store, &QAbstractItemModel::rowsRemoved);
        QSignalSpy reset(&store, &QAbstractItemModel::modelReset);
        for (int i = 0; i < 5000; ++i)
            store.appendLine(QStringLiteral("line %1").arg(i));
        QCOMPARE(store.rowCount(), 0); // nothing reaches the views before the batch
        QVERIFY(inserted.wait(1000));
        QCOMPARE(inserted.count(), 1);
        QCOMPARE(removed.count(), 0);
        QCOMPARE(store.index(store.rowCount() - 1).data().toString(), QStringLiteral("line 4999"));

        // Once full, a batch both lets the oldest go and adds the newest.
        for (int i = 0; i < 500; ++i)
            store.appendLine(QStringLiteral("more %1").arg(i));
        QVERIFY(inserted.wait(1000));
        QCOMPARE(inserted.count(), 2);
        QCOMPARE(removed.count(), 1);
        const int shown = store.rowCount();
        QCOMPARE(shown, store.count());
        QVERIFY(store.index(0).data(LogStore::TimeRole).toDateTime().isValid());

        // A page that empties its log at every few hundred lines.
        for (int round = 0; round < 50; ++round) {
            store.appendLine("a");
            store.clear();
            QCOMPARE(store.text(), QString());
            QCOMPARE(store.count(), 0);
        }
        store.appendLine("new");
        QCOMPARE(store.rowCount(), shown);
        QTRY_COMPARE(rows(store), QStringList{"new"});
        QCOMPARE(reset.count(), 1);

        store.clear();
        QTRY_COMPARE(store.rowCount(), 0);
        QCOMPARE(store.byteSize(), 0);
    }
};

QTEST_GUILESS_MAIN(TestLogStore)
#include "tst_logstore.moc"
