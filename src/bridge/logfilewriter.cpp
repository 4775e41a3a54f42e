#include "logfilewriter.h"

#include <QDir>
#include <QFileInfo>

void LogFileWriter::open(const QString &path, int recording)
{
    m_recording = recording;
    m_file.close();
    m_file.setFileName(path);
    // The logs hold what the gateway sends, its passwords among it: a new
    // file is readable by its owner only from the start, and an earlier
    // recording appended to is made so too (not a device such as /dev/null).
    constexpr auto ownerOnly = QFileDevice::ReadOwner | QFileDevice::WriteOwner;
    if (!m_file.open(QIODevice::WriteOnly | QIODevice::Append, ownerOnly)) {
        fail(tr("Could not open %1 for recording: %2")
                 .arg(QDir::toNativeSeparators(path), m_file.errorString()));
        return;
    }
    if (QFileInfo(m_file).isFile())
        m_file.setPermissions(ownerOnly);
}

void LogFileWriter::write(const QByteArray &text, int lines)
{
    if (!m_file.isOpen())
        return;
    const QString path = QDir::toNativeSeparators(m_file.fileName());
    if (m_file.write(text) != text.size() || !m_file.flush()) {
        fail(tr("Recording stopped: could not write to %1 (%2). What was recorded before is kept.")
                 .arg(path, m_file.errorString()));
        return;
    }
    if (!QFile::exists(m_file.fileName())) {
        fail(tr("Recording stopped: %1 was removed or moved.").arg(path));
        return;
    }
    emit written(m_recording, lines, text.size());
}

void LogFileWriter::close()
{
    m_file.close();
}

void LogFileWriter::fail(const QString &message)
{
    m_file.close();
    emit failed(m_recording, message);
}
