#include "logrecorder.h"
#include "logstore.h"

#include <QtTest>

class TestLogRecorder : public QObject
{
    Q_OBJECT

private slots:
    void appendsEveryLineWithItsTime()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("gateway.log");
        QFile existing(path);
        QVERIFY(existing.open(QIODevice::WriteOnly));
        existing.write("earlier\n");
        existing.close();

        LogStore store;
        LogRecorder recorder;
        qint64 now = QDateTime(QDate(2026, 12, 7), QTime(14, 2), Qt::UTC).toMSecsSinceEpoch();
        recorder.setClock([&now] { return now; });
        recorder.setStore(&store);

        store.appendLine("before the recording");
        recorder.start(QUrl::fromLocalFile(path));
        store.appendLine("[RS485] DATA 'Main meter'");
        now += 1234;
        store.appendLine("two\nlines ü");
        QTRY_COMPARE(recorder.linesRecorded(), 3);
        recorder.stop();
        store.appendLine("after the recording");

        QVERIFY(existing.open(QIODevice::ReadOnly));
        QCOMPARE(existing.readAll(),
                 QByteArray("earlier\n"
                            "2026-12-07T14:02:00.000Z [RS485] DATA 'Main meter'\n"
                            "2026-12-07T14:02:01.234Z two\n"
                            "2026-12-07T14:02:01.234Z lines \xc3\xbc\n"));
        QVERIFY(recorder.error().isEmpty());
        // The logs carry the gateway's passwords.
        QCOMPARE(existing.permissions(), QFileDevice::ReadOwner | QFileDevice::WriteOwner
                                             | QFileDevice::ReadUser | QFileDevice::WriteUser);
    }

    void writeFailureStopsAndKeepsWhatWasWritten_data()
    {
        QTest::addColumn<bool>("fullDisk"); // else the file is removed mid-run
        QTest::newRow("file removed") << false;
        QTest::newRow("disk full") << true;
    }
    void writeFailureStopsAndKeepsWhatWasWritten()
    {
        QFETCH(bool, fullDisk);
        QTemporaryDir dir;
        const QString path = fullDisk ? QStringLiteral("/dev/full") : dir.filePath("gone.log");
        LogStore store;
        LogRecorder recorder;
        recorder.setStore(&store);
        QSignalSpy stopped(&recorder, &LogRecorder::recordingChanged);

        recorder.start(QUrl::fromLocalFile(path));
        if (!fullDisk) {
            store.appendLine("kept");
            QTRY_COMPARE(recorder.linesRecorded(), 1);
            QVERIFY(QFile::remove(path));
        }
        store.appendLine("lost");
        QTRY_VERIFY(!recorder.isRecording());
        QVERIFY2(recorder.error().contains(QDir::toNativeSeparators(path)),
                 qPrintable(recorder.error()));
        QCOMPARE(recorder.linesRecorded(), fullDisk ? 0 : 1);
        QCOMPARE(stopped.count(), 2);
    }
};

QTEST_GUILESS_MAIN(TestLogRecorder)
#include "tst_logrecorder.moc"
