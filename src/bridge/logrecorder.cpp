#include "logrecorder.h"

#include "logfilewriter.h"
#include "logstore.h"
#include "privatefile.h"

#include <QDateTime>
#include <QDir>

LogRecorder::LogRecorder(QObject *parent)
    : QObject(parent)
    , m_clock([] { return QDateTime::currentMSecsSinceEpoch(); })
    , m_writer(new LogFileWriter)
{
    m_thread.setObjectName(QStringLiteral("LogRecorder"));
    m_writer->moveToThread(&m_thread);
    connect(&m_thread, &QThread::finished, m_writer, &QObject::deleteLater);
    connect(m_writer, &LogFileWriter::written, this, &LogRecorder::onWritten);
    connect(m_writer, &LogFileWriter::failed, this, &LogRecorder::onFailed);
}

// Lets the writer finish what is queued before its thread ends (quit()
// alone would drop it): a recording is complete once its page is gone.
LogRecorder::~LogRecorder()
{
    if (!m_thread.isRunning()) {
        delete m_writer;
        return;
    }
    QMetaObject::invokeMethod(m_writer, [writer = m_writer] {
        writer->close();
        QThread::currentThread()->quit();
    });
    m_thread.wait();
}

void LogRecorder::setStore(LogStore *store)
{
    if (m_store == store)
        return;
    disconnect(m_storeConnection);
    m_store = store;
    if (store)
        m_storeConnection = connect(store, &LogStore::linesAppended, this, &LogRecorder::record);
    emit storeChanged();
}

void LogRecorder::start(const QUrl &file)
{
    stop();
    const QString path = PrivateFile::localPath(file.toString());
    setError({});
    m_filePath = QDir::toNativeSeparators(path);
    m_linesRecorded = 0;
    m_backlog = 0;
    m_recording = true;
    const int recording = ++m_recordingNumber;
    // The thread is started by the first recording: most log pages never record.
    if (!m_thread.isRunning())
        m_thread.start();
    QMetaObject::invokeMethod(
        m_writer, [writer = m_writer, path, recording] { writer->open(path, recording); });
    emit recordingChanged();
    emit linesRecordedChanged();
}

void LogRecorder::stop()
{
    if (!m_recording)
        return;
    m_recording = false;
    QMetaObject::invokeMethod(m_writer, &LogFileWriter::close, Qt::QueuedConnection);
    emit recordingChanged();
}

void LogRecorder::record(const QStringList &lines)
{
    if (!m_recording || lines.isEmpty())
        return;
    const QByteArray stamp =
        QDateTime::fromMSecsSinceEpoch(m_clock(), Qt::UTC).toString(Qt::ISODateWithMs).toLatin1()
        + ' ';
    QByteArray text;
    for (const QString &line : lines) {
        text += stamp;
        text += line.toUtf8();
        text += '\n';
    }
    if (m_backlog += text.size(); m_backlog > maxBacklogBytes) {
        onFailed(m_recordingNumber,
                 tr("Recording stopped: the disk did not keep up with the log. What was "
                    "recorded before is kept."));
        return;
    }
    QMetaObject::invokeMethod(m_writer, [writer = m_writer, text, count = int(lines.size())] {
        writer->write(text, count);
    });
}

void LogRecorder::onWritten(int recording, int lines, qint64 bytes)
{
    if (recording != m_recordingNumber)
        return;
    m_backlog -= bytes;
    m_linesRecorded += lines;
    emit linesRecordedChanged();
}

void LogRecorder::onFailed(int recording, const QString &message)
{
    if (recording != m_recordingNumber || !m_recording)
        return;
    stop();
    setError(message);
}

void LogRecorder::setError(const QString &error)
{
    if (m_error == error)
        return;
    m_error = error;
    emit errorChanged();
}
