// Prints how many RS-485 monitor lines per second TcpBridge's receive path
// handles, beside a bare QTcpSocket reader that only counts line feeds of the
// same stream from the same simulator, and their ratio.
#include "benchsupport.h"
#include "tcpbridge.h"

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

// Both readers run from connection until the simulator closes the stream;
// each gives up after a minute.
Run bareReader()
{
    LineCounter socket;
    Run run;
    QElapsedTimer clock;
    QObject::connect(&socket, &QTcpSocket::connected, [&] { clock.start(); });
    QObject::connect(&socket, &QTcpSocket::disconnected,
                     [&] { run.seconds = clock.nsecsElapsed() / 1e9; });
    socket.connectToHost(address, TcpBridge::monitorPort);
    waitUntil([&] { return run.seconds > 0; }, 60'000);
    run.lines = socket.lines;
    return run;
}

// The log is emptied by the log page's rule (at 500 pieces, 499 lines); the
// lines are counted as they are appended, before the store's cap drops any.
Run bridgeReceivePath()
{
    TcpBridge bridge;
    Run run;
    QElapsedTimer clock;
    QObject::connect(&bridge, &TcpBridge::connectedChanged, [&] {
        if (bridge.isConnected())
            clock.start();
        else
            run.seconds = clock.nsecsElapsed() / 1e9;
    });
    LogStore *log = bridge.terminalLogLines();
    QObject::connect(log, &LogStore::linesAppended,
                     [&](const QStringList &lines) { run.lines += lines.size(); });
    QObject::connect(&bridge, &TcpBridge::terminalLogChanged, [&] {
        if (log->count() + 1 >= 500)
            bridge.clearTerminalLog();
    });
    bridge.connectToDevice(address, TcpBridge::monitorPort);
    waitUntil([&] { return run.seconds > 0; }, 60'000);
    return run;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    ConfigHome configHome; // the bridge reads the settings file
    SimulatorProcess simulator({"--address", address, "--monitor-rate", "0", "--monitor-lines",
                                QString::number(linesPerRun)});
    QList<double> bare;
    QList<double> bridge;
    for (int i = 1; i <= runs; ++i) {
        const Run reference = bareReader();
        const Run measured = bridgeReceivePath();
        if (reference.lines != linesPerRun || measured.lines != linesPerRun)
            fail(QStringLiteral("incomplete stream (bare %1, bridge %2 of %3 lines)")
                     .arg(reference.lines)
                     .arg(measured.lines)
                     .arg(linesPerRun));
        bare.append(reference.rate());
        bridge.append(measured.rate());
        out << QStringLiteral("run %1: bare reader %2 lines/s, TcpBridge %3 lines/s\n")
                   .arg(i)
                   .arg(fixed(reference.rate(), 0), fixed(measured.rate(), 0));
    }
    const double bareRate = median(bare);
    const double bridgeRate = median(bridge);
    out << QStringLiteral("median of %1 runs of %2 monitor lines:\n").arg(runs).arg(linesPerRun)
        << "  bare QTcpSocket line counter: " << fixed(bareRate, 0) << " lines/s\n"
        << "  TcpBridge receive path:       " << fixed(bridgeRate, 0) << " lines/s\n"
        << "  ratio (TcpBridge / bare):     " << fixed(bridgeRate / bareRate, 3) << "\n";
    return 0;
}
