#include "logrecorder.h"
#include "logstore.h"

#include <QtTest>

class TestLogRecorder : public QObject
{
    Q_OBJECT

private slots:
    // Every line from the start on, each with its time, after what the file
    // held; a write that fails stops the recording and keeps what was written.
    void recordsEveryLineWithItsTime_data()
    {
        QTest::addColumn<QString>("failure");
        QTest::newRow("all written") << QString();
        QTest::newRow("file removed") << "removed";
        QTest::newRow("disk full") << "full";
    }
    void recordsEveryLineWithItsTime()
    {
        QFETCH(QString, failure);
        QTemporaryDir dir;
        const QString path = failure == "full" ? "/dev/full" : dir.filePath("gateway.log");
        QFile existing(path);
        if (failure != "full") {
            QVERIFY(existing.open(QIODevice::WriteOnly));
            existing.write("earlier\n");
            existing.close();
        }

        LogStore store;
        LogRecorder recorder;
        qint64 now = QDateTime(QDate(2026, 12, 7), QTime(14, 2), Qt::UTC).toMSecsSinceEpoch();
        recorder.setClock([&now] { return now; });
        recorder.setStore(&store);
        QSignalSpy recording(&recorder, &LogRecorder::recordingChanged);

        store.appendLine("before the recording");
        recorder.start(QUrl::fromLocalFile(path));
        store.appendLine("[RS485] DATA 'Main meter'");
        if (failure == "removed") {
            QTRY_COMPARE(recorder.linesRecorded(), 1);
            QVERIFY(QFile::remove(path));
        }
        now += 1234;
        store.appendLine("two\nlines ü");
        if (!failure.isNull()) {
            QTRY_VERIFY(!recorder.isRecording());
            QVERIFY2(recorder.error().contains(QDir::toNativeSeparators(path)),
                     qPrintable(recorder.error()));
            QCOMPARE(recorder.linesRecorded(), failure == "removed" ? 1 : 0);
            QCOMPARE(recording.count(), 2);
            return;
        }
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
};

QTEST_GUILESS_MAIN(TestLogRecorder)
#include "tst_logrecorder.moc"
