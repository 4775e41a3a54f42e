#include "mosquittobroker.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QStandardPaths>
#include <QTcpServer>
#include <QTcpSocket>
#include <QThread>

#include <unistd.h>

QString MosquittoBroker::findProgram(const QString &name)
{
    const QString path = QStandardPaths::findExecutable(name);
    return !path.isEmpty()
               ? path
               : QStandardPaths::findExecutable(name, {"/usr/sbin", "/usr/local/sbin", "/sbin"});
}

bool MosquittoBroker::fail(const QString &why)
{
    m_error = why;
    return false;
}

quint16 MosquittoBroker::addTlsListener(const QString &certFile, const QString &keyFile,
                                        const QString &clientCaFile)
{
    QTcpServer probe;
    if (!probe.listen(QHostAddress::LocalHost, 0))
        return 0;
    const quint16 port = probe.serverPort();
    m_extraConfig += "listener " + QByteArray::number(port) + " 127.0.0.1\ncertfile "
                     + certFile.toUtf8() + "\nkeyfile " + keyFile.toUtf8() + "\n";
    if (!clientCaFile.isEmpty())
        m_extraConfig += "cafile " + clientCaFile.toUtf8() + "\nrequire_certificate true\n";
    return port;
}

bool MosquittoBroker::start()
{
    QTcpServer probe;
    if (!m_dir.isValid() || !probe.listen(QHostAddress::LocalHost, 0))
        return fail(QStringLiteral("no temporary folder or no free loopback port"));
    m_port = probe.serverPort();
    probe.close();
    return writeConfiguration() && launch();
}

bool MosquittoBroker::restart()
{
    kill();
    return launch();
}

void MosquittoBroker::stop()
{
    if (m_process.state() == QProcess::NotRunning)
        return;
    m_process.terminate();
    if (!m_process.waitForFinished(5000))
        kill();
}

void MosquittoBroker::kill()
{
    if (m_process.state() == QProcess::NotRunning)
        return;
    m_process.kill();
    m_process.waitForFinished(5000);
}

bool MosquittoBroker::writeConfiguration()
{
    const QString passwd = findProgram("mosquitto_passwd");
    if (passwd.isEmpty())
        return fail(QStringLiteral("mosquitto_passwd not found: install the mosquitto package"));
    const QString passwordFile = m_dir.filePath("passwords");
    QFile::remove(passwordFile);
    QFile created(passwordFile);
    if (!created.open(QIODevice::WriteOnly)
        || !created.setPermissions(QFile::ReadOwner | QFile::WriteOwner))
        return fail(QStringLiteral("cannot write %1").arg(passwordFile));
    created.close();
    for (const auto &[user, password] : m_users) {
        QProcess tool;
        tool.setProcessChannelMode(QProcess::MergedChannels);
        tool.start(passwd, {"-b", passwordFile, user, password});
        if (!tool.waitForFinished(10000) || tool.exitCode() != 0)
            return fail("mosquitto_passwd failed: " + QString::fromLocal8Bit(tool.readAll()));
    }

    QFile config(m_dir.filePath("mosquitto.conf"));
    if (!config.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return fail(QStringLiteral("cannot write the broker configuration"));
    config.write("listener " + QByteArray::number(m_port) + " 127.0.0.1\n"
                 + "allow_anonymous false\npassword_file " + passwordFile.toUtf8()
                 + "\npersistence false\nlog_dest stderr\nlog_type error\nlog_type warning\n"
                 // Run as root, mosquitto would switch to its own user, which
                 // cannot read the files in our owner-only temporary folder.
                 + (::geteuid() == 0 ? "user root\n" : "") + m_extraConfig);
    return true;
}

bool MosquittoBroker::launch()
{
    const QString program = findProgram("mosquitto");
    if (program.isEmpty())
        return fail(QStringLiteral("mosquitto not found: install the mosquitto package"));
    m_process.start(program, {"-c", m_dir.filePath("mosquitto.conf")});
    if (!m_process.waitForStarted(5000))
        return fail("mosquitto did not start: " + m_process.errorString());
    const QDeadlineTimer deadline(10000);
    while (!deadline.hasExpired() && m_process.state() == QProcess::Running) {
        QTcpSocket socket;
        socket.connectToHost(QHostAddress::LocalHost, m_port);
        if (socket.waitForConnected(200))
            return true;
        QThread::msleep(20);
    }
    const QString output = QString::fromLocal8Bit(m_process.readAll());
    kill();
    return fail(QStringLiteral("mosquitto did not listen on port %1: %2").arg(m_port).arg(output));
}
