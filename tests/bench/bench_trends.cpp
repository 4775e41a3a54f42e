// Prints frames drawn per second and the process's CPU use (% of one core)
// while 20 series arrive at 10 samples/s each over the RS-485 monitor link,
// with the trends page open and all 20 series shown, beside the same run
// with the page closed, and the difference. Run it in a real window
// (xvfb-run, or a desktop); the offscreen platform has no OpenGL.
#include "application.h"
#include "tcpbridge.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QQmlContext>
#include <QQmlEngine>
#include <QQuickItem>
#include <QQuickStyle>
#include <QQuickView>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTextStream>
#include <QTimer>
#include <QtMath>

#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>

namespace {

const QHostAddress address(QStringLiteral("127.0.9.2"));
constexpr int devices = 2;
constexpr int pairsPerDevice = 10; // 2 x 10 = 20 series
constexpr int samplesPerSecond = 10;
constexpr int phaseSeconds = 10;
constexpr int rounds = 5;

// The register words of a float, high half first.
QString words(float value)
{
    quint32 bits;
    std::memcpy(&bits, &value, sizeof bits);
    return QStringLiteral("%1 %2").arg(bits >> 16).arg(bits & 0xFFFF);
}

// A gateway's monitor port: every 100 ms one header and one register line
// of ten pairs per device.
class MonitorFeed : public QObject
{
public:
    MonitorFeed()
    {
        m_server.listen(address, TcpBridge::monitorPort);
        connect(&m_server, &QTcpServer::newConnection, this,
                [this] { m_peer = m_server.nextPendingConnection(); });
        connect(&m_timer, &QTimer::timeout, this, [this] { feed(); });
        m_timer.start(1000 / samplesPerSecond);
    }
    bool listening() const { return m_server.isListening(); }

private:
    void feed()
    {
        if (!m_peer)
            return;
        ++m_tick;
        QString block;
        for (int d = 0; d < devices; ++d) {
            block += QStringLiteral("[RS485] DATA port%1 id=%1 'Meter %1' regs=20\n").arg(d + 1);
            block += QStringLiteral("[0x%1]").arg(d * 0x100, 4, 16, QLatin1Char('0'));
            for (int p = 0; p < pairsPerDevice; ++p)
                block +=
                    QLatin1Char(' ') + words(float(100 * p + 50 * qSin(0.05 * m_tick + p + d)));
            block += QLatin1Char('\n');
        }
        m_peer->write(block.toLatin1());
    }

    QTcpServer m_server;
    QPointer<QTcpSocket> m_peer;
    QTimer m_timer;
    int m_tick = 0;
};

qint64 cpuMicroseconds()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return qint64(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1'000'000
           + usage.ru_utime.tv_usec + usage.ru_stime.tv_usec;
}

// CPU time of the process's Mesa software rasterizer threads ("llvmpipe-N"),
// which stand in for a graphics card on machines without one.
qint64 rasterizerMicroseconds()
{
    static const long ticksPerSecond = sysconf(_SC_CLK_TCK);
    qint64 ticks = 0;
    const QDir tasks(QStringLiteral("/proc/self/task"));
    for (const QString &task : tasks.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        QFile stat(tasks.filePath(task) + QStringLiteral("/stat"));
        if (!stat.open(QIODevice::ReadOnly))
            continue;
        const QByteArray text = stat.readAll();
        const qsizetype open = text.indexOf('(');
        const qsizetype close = text.lastIndexOf(')');
        if (open < 0 || close < 0 || !text.mid(open + 1, close - open - 1).startsWith("llvmpipe"))
            continue;
        // After the name: state, then fields 4 to 13, then utime and stime.
        const QList<QByteArray> fields = text.mid(close + 2).split(' ');
        if (fields.size() > 12)
            ticks += fields[11].toLongLong() + fields[12].toLongLong();
    }
    return ticks * 1'000'000 / ticksPerSecond;
}

struct Phase
{
    double framesPerSecond;
    double cpuPercent;
    double rasterizerPercent;
};

Phase measure(QQuickView &view)
{
    int frames = 0;
    const auto counter =
        QObject::connect(&view, &QQuickWindow::frameSwapped, [&frames] { ++frames; });
    QElapsedTimer clock;
    clock.start();
    const qint64 cpuBefore = cpuMicroseconds();
    const qint64 rasterizerBefore = rasterizerMicroseconds();
    QEventLoop loop;
    QTimer::singleShot(phaseSeconds * 1000, &loop, &QEventLoop::quit);
    loop.exec();
    const double seconds = clock.nsecsElapsed() / 1e9;
    QObject::disconnect(counter);
    return {frames / seconds, (cpuMicroseconds() - cpuBefore) / 1e4 / seconds,
            (rasterizerMicroseconds() - rasterizerBefore) / 1e4 / seconds};
}

double median(QList<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QTextStream out(stdout);
    QTemporaryDir configHome; // keep the bridge away from the user's settings file
    qputenv("XDG_CONFIG_HOME", configHome.path().toUtf8());
    QQuickStyle::setStyle(QStringLiteral("Basic"));
    registerInterfaceTypes();

    MonitorFeed feed;
    if (!feed.listening()) {
        out << "bench_trends: cannot listen on " << address.toString() << "\n";
        return 1;
    }
    TcpBridge bridge;
    bridge.connectToDevice(address.toString(), TcpBridge::monitorPort);

    QQuickView view;
    view.engine()->rootContext()->setContextProperty(QStringLiteral("tcpClient"), &bridge);
    view.setResizeMode(QQuickView::SizeRootObjectToView);
    view.resize(1280, 800);
    view.show();

    // Wait for all series to be seen.
    QEventLoop arrival;
    QObject::connect(bridge.trends(), &TrendStore::countChanged, &arrival, [&] {
        if (bridge.trends()->count() == devices * pairsPerDevice)
            arrival.quit();
    });
    QTimer::singleShot(10'000, &arrival, &QEventLoop::quit);
    arrival.exec();
    if (bridge.trends()->count() < devices * pairsPerDevice) {
        out << "bench_trends: only " << bridge.trends()->count() << " series arrived\n";
        return 1;
    }

    const auto openPage = [&] {
        view.setSource(QUrl(QStringLiteral("qrc:/TrendsMqtt.qml")));
        auto *panel = view.rootObject()->findChild<QQuickItem *>(QStringLiteral("trendsPanel"));
        return panel && panel->setProperty("selected", bridge.trends()->names());
    };
    const auto closePage = [&] { view.setSource(QUrl(QStringLiteral("qrc:/firstpage.qml"))); };

    QList<double> closedFps, closedCpu, openFps, openCpu, extraCpu, extraRasterizer;
    for (int round = 1; round <= rounds; ++round) {
        closePage();
        const Phase closed = measure(view);
        if (!openPage()) {
            out << "bench_trends: the trends page did not load\n";
            return 1;
        }
        const Phase open = measure(view);
        closedFps.append(closed.framesPerSecond);
        closedCpu.append(closed.cpuPercent);
        openFps.append(open.framesPerSecond);
        openCpu.append(open.cpuPercent);
        extraCpu.append(open.cpuPercent - closed.cpuPercent);
        extraRasterizer.append(open.rasterizerPercent - closed.rasterizerPercent);
        out << QStringLiteral("round %1: page closed %2 frames/s, %3 % CPU; page open %4 frames/s, "
                              "%5 % CPU\n")
                   .arg(round)
                   .arg(closed.framesPerSecond, 0, 'f', 1)
                   .arg(closed.cpuPercent, 0, 'f', 1)
                   .arg(open.framesPerSecond, 0, 'f', 1)
                   .arg(open.cpuPercent, 0, 'f', 1);
        out.flush();
    }
    out << QStringLiteral("median of %1 rounds of %2 s, %3 series at %4 samples/s, %5 platform:\n")
               .arg(rounds)
               .arg(phaseSeconds)
               .arg(devices * pairsPerDevice)
               .arg(samplesPerSecond)
               .arg(QGuiApplication::platformName())
        << QStringLiteral("  page closed:        %1 frames/s, %2 % of a core\n")
               .arg(median(closedFps), 0, 'f', 1)
               .arg(median(closedCpu), 0, 'f', 1)
        << QStringLiteral("  trends page open:   %1 frames/s (target >= 30), %2 % of a core\n")
               .arg(median(openFps), 0, 'f', 1)
               .arg(median(openCpu), 0, 'f', 1)
        << QStringLiteral("  on top (open - closed): %1 % of a core (target <= 15)\n")
               .arg(median(extraCpu), 0, 'f', 1)
        << QStringLiteral("    of which Mesa's software rasterizer (llvmpipe threads): %1 %\n")
               .arg(median(extraRasterizer), 0, 'f', 1)
        << QStringLiteral("    the rest (the tool's own code, Qt, the GL driver): %1 %\n")
               .arg(median(extraCpu) - median(extraRasterizer), 0, 'f', 1);
    return 0;
}
