// Prints how many RS-485 monitor lines per second TcpBridge's receive path
// handles, beside a bare QTcpSocket reader that only counts line feeds of the
// same stream from the same simulator, and their ratio.
#include "benchsupport.h"
#include "tcpbridge.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTextStream>
#include <QTimer>

#include <algorithm>

namespace {

const QString address = QStringLiteral("127.0.9.1");
constexpr qint64 linesPerRun = 2'000'000;
constexpr int runs = 3;

struct Run
{
    qint64 lines = 0;
    double seconds = 0;
    double rate() const { return seconds > 0 ? lines / seconds : 0; }
};

// Waits for the simulator to close the stream; gives up after a minute.
void runUntil(QObject *context, bool &done)
{
    QTimer guard;
    guard.setSingleShot(true);
    QObject::connect(&guard, &QTimer::timeout, context, [&] { done = true; });
    guard.start(60'000);
    while (!done)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
}

Run bareReader()
{
    QTcpSocket socket;
    Run run;
    bool done = false;
    QElapsedTimer clock;
    QObject::connect(&socket, &QTcpSocket::connected, [&] { clock.start(); });
    QObject::connect(&socket, &QTcpSocket::readyRead, [&] {
        const QByteArray bytes = socket.readAll();
        run.lines += std::count(bytes.cbegin(), bytes.cend(), '\n');
    });
    QObject::connect(&socket, &QTcpSocket::disconnected, [&] {
        run.seconds = clock.nsecsElapsed() / 1e9;
        done = true;
    });
    socket.connectToHost(address, TcpBridge::monitorPort);
    runUntil(&socket, done);
    return run;
}

// As the log page does, the log is taken and emptied as it grows, so memory
// stays bounded; the lines are counted there.
Run bridgeReceivePath()
{
    TcpBridge bridge;
    Run run;
    bool done = false;
    QElapsedTimer clock;
    QObject::connect(&bridge, &TcpBridge::connectedChanged, [&] {
        if (bridge.isConnected()) {
            clock.start();
            return;
        }
        run.seconds = clock.nsecsElapsed() / 1e9;
        done = true;
    });
    QObject::connect(&bridge, &TcpBridge::terminalLogChanged, [&] {
        const QString text = bridge.terminalLog();
        if (text.isEmpty())
            return;
        run.lines += text.count(QLatin1Char('\n'));
        bridge.clearTerminalLog();
    });
    bridge.connectToDevice(address, TcpBridge::monitorPort);
    runUntil(&bridge, done);
    return run;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QTextStream out(stdout);

    QTemporaryDir configHome; // the bridge reads the settings file; keep it away from the user's
    qputenv("XDG_CONFIG_HOME", configHome.path().toUtf8());

    QProcess simulator;
    simulator.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    simulator.start(QStringLiteral(GATEWAY_SIM_PATH),
                    {"--address", address, "--monitor-rate", "0", "--monitor-lines",
                     QString::number(linesPerRun), "--at-port", "0"});
    if (!simulator.waitForStarted() || !simulator.waitForReadyRead(5000)) {
        out << "bench_monitor: the gateway simulator did not start\n";
        return 1;
    }

    QList<double> bare;
    QList<double> bridge;
    for (int i = 0; i < runs; ++i) {
        const Run reference = bareReader();
        const Run measured = bridgeReceivePath();
        if (reference.lines != linesPerRun || measured.lines != linesPerRun) {
            out << "bench_monitor: incomplete stream (bare " << reference.lines << ", bridge "
                << measured.lines << " of " << linesPerRun << " lines)\n";
            return 1;
        }
        bare.append(reference.rate());
        bridge.append(measured.rate());
        out << QStringLiteral("run %1: bare reader %2 lines/s, TcpBridge %3 lines/s\n")
                   .arg(i + 1)
                   .arg(reference.rate(), 0, 'f', 0)
                   .arg(measured.rate(), 0, 'f', 0);
    }
    const double bareRate = median(bare);
    const double bridgeRate = median(bridge);
    out << QStringLiteral("median of %1 runs of %2 monitor lines:\n").arg(runs).arg(linesPerRun)
        << QStringLiteral("  bare QTcpSocket line counter: %1 lines/s\n").arg(bareRate, 0, 'f', 0)
        << QStringLiteral("  TcpBridge receive path:       %1 lines/s\n").arg(bridgeRate, 0, 'f', 0)
        << QStringLiteral("  ratio (TcpBridge / bare):     %1\n")
               .arg(bridgeRate / bareRate, 0, 'f', 3);
    simulator.terminate();
    simulator.waitForFinished(3000);
    return 0;
}
