#pragma once

#include <QProcess>
#include <QString>
#include <QTemporaryDir>

#include <utility>
#include <vector>

// A real mosquitto broker for one test, benchmark or screenshot run: loopback
// only, a free port, anonymous access off and a password file generated from
// addUser(); plain TCP on port(), TLS on the listeners added for it. The broker is stopped when the
// object goes.
class MosquittoBroker
{
public:
    MosquittoBroker() { m_process.setProcessChannelMode(QProcess::MergedChannels); }
    ~MosquittoBroker() { kill(); }
    MosquittoBroker(const MosquittoBroker &) = delete;
    MosquittoBroker &operator=(const MosquittoBroker &) = delete;

    // Users and configuration lines are added before start().
    void addUser(const QString &user, const QString &password)
    {
        m_users.emplace_back(user, password);
    }
    void addConfigLine(const QByteArray &line) { m_extraConfig += line + '\n'; }
    // A further loopback listener speaking TLS only, with this certificate;
    // with a CA file it also asks clients for a certificate signed by it.
    // Returns its port, 0 if none is free.
    quint16 addTlsListener(const QString &certFile, const QString &keyFile,
                           const QString &clientCaFile = QString());

    // Starts the broker and waits until it accepts connections; on failure,
    // errorString() says why (mosquitto missing among the reasons).
    bool start();
    // Stops it cleanly, or kills it at once; restart() brings it back on the
    // same port with the same users.
    void stop();
    void kill();
    bool restart();

    QString host() const { return QStringLiteral("127.0.0.1"); }
    quint16 port() const { return m_port; }
    QString errorString() const { return m_error; }

    // The path of a broker's program (mosquitto_sub, mosquitto_pub), or "".
    static QString findProgram(const QString &name);

private:
    bool fail(const QString &why);
    bool writeConfiguration();
    bool launch();

    QTemporaryDir m_dir;
    std::vector<std::pair<QString, QString>> m_users;
    QByteArray m_extraConfig;
    QProcess m_process;
    quint16 m_port = 0;
    QString m_error;
};
