#pragma once

#include <QFile>
#include <QObject>

// Appends text to a log recording file on a thread of its own, so a slow or
// failing disk never holds up the window. After each write the text is
// flushed to the system and the file checked to be still where it was: text
// written to a file that was removed would silently go nowhere.
class LogFileWriter : public QObject
{
    Q_OBJECT

public:
    using QObject::QObject;

    // Each is meant to be invoked queued, in this order. The recording
    // number given to open() comes back with the reports, so reports of an
    // earlier recording can be told apart.
    void open(const QString &path, int recording);
    void write(const QByteArray &text, int lines);
    void close();

signals:
    void written(int recording, int lines, qint64 bytes);
    // The file is closed; what was written before stays in it.
    void failed(int recording, const QString &message);

private:
    void fail(const QString &message);

    QFile m_file;
    int m_recording = 0;
};
