#pragma once

#include "logstore.h"
#include <QObject>
#include <QPointer>
#include <QStringList>
#include <QThread>
#include <QUrl>

#include <atomic>
#include <functional>

class LogFileWriter;
// Records every line a log receives from now on, each after its arrival
// time in ISO 8601 (UTC, milliseconds) and a space, appended to a file until
// stopped. The writing runs on a thread of its own; a write that fails (a
// full disk, a file removed) stops the recording with `error` set, and the
// file keeps what was written.
class LogRecorder : public QObject
{
    Q_OBJECT
    Q_PROPERTY(LogStore *store READ store WRITE setStore NOTIFY storeChanged)
    Q_PROPERTY(bool recording READ isRecording NOTIFY recordingChanged)
    Q_PROPERTY(QString filePath READ filePath NOTIFY recordingChanged)
    Q_PROPERTY(int linesRecorded READ linesRecorded NOTIFY linesRecordedChanged)
    Q_PROPERTY(QString error READ error NOTIFY errorChanged)

public:
    // Text waiting for a disk that does not keep up; beyond it the recording
    // stops rather than let memory grow.
    static constexpr qint64 maxBacklogBytes = 64 << 20;

    using Clock = std::function<qint64()>;

    explicit LogRecorder(QObject *parent = nullptr);
    ~LogRecorder() override;

    LogStore *store() const { return m_store; }
    void setStore(LogStore *store);
    bool isRecording() const { return m_recording; }
    QString filePath() const { return m_filePath; }
    int linesRecorded() const { return m_linesRecorded; }
    QString error() const { return m_error; }
    void setClock(Clock clock) { m_clock = std::move(clock); }

    // Starts appending to the file (a local file URL or path).
    Q_INVOKABLE void start(const QUrl &file);
    Q_INVOKABLE void stop();

    // Records lines that arrived now (the store's linesAppended).
    void record(const QStringList &lines);

signals:
    void storeChanged();
    void recordingChanged();
    void linesRecordedChanged();
    void errorChanged();

private:
    void setError(const QString &error);
    void onWritten(int recording, int lines, qint64 bytes);
    void onFailed(int recording, const QString &message);

    QPointer<LogStore> m_store;
    QMetaObject::Connection m_storeConnection;
    Clock m_clock;
    QThread m_thread;
    LogFileWriter *m_writer = nullptr;
    bool m_recording = false;
    // Numbers the recordings: the writer's reports about a recording
    // already stopped may still be on their way.
    int m_recordingNumber = 0;
    QString m_filePath;
    int m_linesRecorded = 0;
    QString m_error;
    std::atomic<qint64> m_backlog = 0;
};
