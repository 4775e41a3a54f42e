#include "mosquittobroker.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QStandardPaths>
#include <QTcpServer>
#include <QTcpSocket>
#include <QThread>

#include <unistd.h>

namespace {

quint16 freeLoopbackPort()
{
    QTcpServer probe;
    if (!probe.listen(QHostAddress::LocalHost, 0))
        return 0;
    return probe.serverPort();
}

} // namespace

MosquittoBroker::MosquittoBroker()
{
    m_process.setProcessChannelMode(QProcess::MergedChannels);
}

MosquittoBroker::~MosquittoBroker()
{
    kill();
}

void MosquittoBroker::addUser(const QString &user, const QString &password)
{
    m_users.emplace_back(user, password);
}

QString MosquittoBroker::findProgram(const QString &name)
{
    QString path = QStandardPaths::findExecutable(name);
    if (path.isEmpty())
        path = QStandardPaths::findExecutable(name, {"/usr/sbin", "/usr/local/sbin", "/sbin"});
    return path;
}

bool MosquittoBroker::start()
{
    if (!m_dir.isValid()) {
        m_error = QStringLiteral("cannot create a temporary folder for the broker");
        return false;
    }
    m_port = freeLoopbackPort();
    if (m_port == 0) {
        m_error = QStringLiteral("no free loopback port");
        return false;
    }
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

bool MosquittoBroker::isRunning() const
{
    return m_process.state() == QProcess::Running;
}

bool MosquittoBroker::writeConfiguration()
{
    const QString passwd = findProgram("mosquitto_passwd");
    if (passwd.isEmpty()) {
        m_error = QStringLiteral("mosquitto_passwd not found: install the mosquitto package");
        return false;
    }
    const QString passwordFile = m_dir.filePath("passwords");
    QFile::remove(passwordFile);
    {
        QFile file(passwordFile);
        if (!file.open(QIODevice::WriteOnly)
            || !file.setPermissions(QFile::ReadOwner | QFile::WriteOwner)) {
            m_error = QStringLiteral("cannot write %1").arg(passwordFile);
            return false;
        }
    }
    for (const auto &[user, password] : m_users) {
        QProcess tool;
        tool.setProcessChannelMode(QProcess::MergedChannels);
        tool.start(passwd, {"-b", passwordFile, user, password});
        if (!tool.waitForFinished(10000) || tool.exitCode() != 0) {
            m_error = QStringLiteral("mosquitto_passwd failed: %1")
                          .arg(QString::fromLocal8Bit(tool.readAll()));
            return false;
        }
    }

    QFile config(m_dir.filePath("mosquitto.conf"));
    if (!config.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        m_error = QStringLiteral("cannot write the broker configuration");
        return false;
    }
    QByteArray text;
    text += "listener " + QByteArray::number(m_port) + " 127.0.0.1\n";
    text += "allow_anonymous false\n";
    text += "password_file " + passwordFile.toUtf8() + "\n";
    text += "persistence false\n";
    text += "log_dest stderr\n";
    text += "log_type error\nlog_type warning\n";
    // Run as root, mosquitto would switch to its own user, which cannot read
    // the files in our owner-only temporary folder.
    if (::geteuid() == 0)
        text += "user root\n";
    text += m_extraConfig;
    config.write(text);
    return true;
}

bool MosquittoBroker::launch()
{
    const QString program = findProgram("mosquitto");
    if (program.isEmpty()) {
        m_error = QStringLiteral("mosquitto not found: install the mosquitto package");
        return false;
    }
    m_process.start(program, {"-c", m_dir.filePath("mosquitto.conf")});
    if (!m_process.waitForStarted(5000)) {
        m_error = QStringLiteral("mosquitto did not start: %1").arg(m_process.errorString());
        return false;
    }
    if (!waitUntilListening(10000)) {
        m_error = QStringLiteral("mosquitto did not listen on port %1: %2")
                      .arg(m_port)
                      .arg(QString::fromLocal8Bit(m_process.readAll()));
        kill();
        return false;
    }
    return true;
}

bool MosquittoBroker::waitUntilListening(int timeoutMs)
{
    const QDeadlineTimer deadline(timeoutMs);
    while (!deadline.hasExpired()) {
        if (m_process.state() != QProcess::Running)
            return false;
        QTcpSocket socket;
        socket.connectToHost(QHostAddress::LocalHost, m_port);
        if (socket.waitForConnected(200)) {
            socket.abort();
            return true;
        }
        QThread::msleep(20);
    }
    return false;
}
