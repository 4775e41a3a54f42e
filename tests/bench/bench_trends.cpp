// Prints frames drawn per second and the process's CPU use (% of one core)
// while 20 series arrive at 10 samples/s each over the RS-485 monitor link,
// with the trends page open and all 20 series shown, beside the same run
// with the page closed, and the difference. Run it in a real window
// (xvfb-run, or a desktop); the offscreen platform has no OpenGL.
#include "application.h"
#include "benchsupport.h"
#include "tcpbridge.h"

#include <QApplication>
#include <QDateTime>
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

// CPU time of the process's threads by role: the interface thread (the
// tool's own code, QML, the scene graph's preparation), Qt Quick's render
// thread (the GL driver), and Mesa's software rasterizer threads
// ("llvmpipe-N"), which stand in for a graphics card on machines without one.
struct ThreadCpu
{
    qint64 interface = 0;
    qint64 render = 0;
    qint64 rasterizer = 0;
};

ThreadCpu threadMicroseconds()
{
    ThreadCpu cpu;
    const QDir tasks(QStringLiteral("/proc/self/task"));
    const QString self = QString::number(getpid());
    for (const QString &task : tasks.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        QByteArray name;
        const auto us =
            qint64(statCpuSeconds(tasks.filePath(task) + QStringLiteral("/stat"), &name) * 1e6);
        if (task == self)
            cpu.interface += us;
        else if (name.startsWith("llvmpipe"))
            cpu.rasterizer += us;
        else if (name.startsWith("QSGRenderThread"))
            cpu.render += us;
    }
    return cpu;
}

struct Phase
{
    double framesPerSecond;
    double cpu;        // % of one core, the whole process
    double interface;  // of which the interface thread
    double render;     // the render thread
    double rasterizer; // the software rasterizer
};

Phase measure(QQuickView &view)
{
    int frames = 0;
    const auto counter =
        QObject::connect(&view, &QQuickWindow::frameSwapped, [&frames] { ++frames; });
    QElapsedTimer clock;
    clock.start();
    const qint64 cpuBefore = cpuMicroseconds();
    const ThreadCpu before = threadMicroseconds();
    QEventLoop loop;
    QTimer::singleShot(phaseSeconds * 1000, &loop, &QEventLoop::quit);
    loop.exec();
    const double seconds = clock.nsecsElapsed() / 1e9;
    QObject::disconnect(counter);
    const ThreadCpu after = threadMicroseconds();
    const auto percent = [seconds](qint64 us) { return us / 1e4 / seconds; };
    return {frames / seconds, percent(cpuMicroseconds() - cpuBefore),
            percent(after.interface - before.interface), percent(after.render - before.render),
            percent(after.rasterizer - before.rasterizer)};
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QTextStream out(stdout);
    QTemporaryDir configHome; // keep the bridge away from the user's settings file
    qputenv("XDG_CONFIG_HOME", configHome.path().toUtf8());
    QQuickStyle::setStyle(QStringLiteral("Basic"));
    chooseGraphicsApi();
    registerInterfaceTypes();

    MonitorFeed feed;
    if (!feed.listening()) {
        out << "bench_trends: cannot listen on " << address.toString() << "\n";
        return 1;
    }
    TcpBridge bridge;
    // An hour of history for every series, as after an hour on the page.
    const qint64 now = QDateTime::currentMSecsSinceEpoch();
    for (int d = 0; d < devices; ++d) {
        for (int p = 0; p < pairsPerDevice; ++p) {
            const QString name =
                QStringLiteral("Meter %1 0x%2")
                    .arg(d + 1)
                    .arg(QString::number(d * 0x100 + 2 * p, 16).toUpper().rightJustified(4, '0'));
            for (int i = 3600 * samplesPerSecond; i > 0; --i)
                bridge.trends()->append(name, now - i * 1000 / samplesPerSecond,
                                        100 * p + 50 * qSin(0.05 * i + p + d));
        }
    }
    bridge.connectToDevice(address.toString(), TcpBridge::monitorPort);

    QQuickView view;
    view.engine()->rootContext()->setContextProperty(QStringLiteral("tcpClient"), &bridge);
    view.setResizeMode(QQuickView::SizeRootObjectToView);
    view.resize(1280, 800);
    view.show();

    // The feed's samples go to the series filled above, and no others.
    QEventLoop arrival;
    QTimer::singleShot(2000, &arrival, &QEventLoop::quit);
    arrival.exec();
    const TrendSeries *last = bridge.trends()->series(bridge.trends()->names().constLast());
    if (bridge.trends()->count() != devices * pairsPerDevice
        || last->at(last->size() - 1).time < now) {
        out << "bench_trends: the monitor feed did not reach the " << devices * pairsPerDevice
            << " series\n";
        return 1;
    }

    const auto openPage = [&](int spanSeconds) {
        view.setSource(QUrl(QStringLiteral("qrc:/TrendsMqtt.qml")));
        auto *panel = view.rootObject()->findChild<QQuickItem *>(QStringLiteral("trendsPanel"));
        auto *plot = view.rootObject()->findChild<QQuickItem *>(QStringLiteral("trendPlot"));
        return panel && plot && panel->setProperty("selected", bridge.trends()->names())
               && plot->setProperty("spanSeconds", spanSeconds);
    };
    const auto closePage = [&] { view.setSource(QUrl(QStringLiteral("qrc:/firstpage.qml"))); };

    struct Figures
    {
        QString name;
        QList<Phase> phases;
        double median(double Phase::*field) const
        {
            QList<double> values;
            for (const Phase &phase : phases)
                values.append(phase.*field);
            return ::median(values);
        }
    };
    Figures closed{QStringLiteral("page closed"), {}};
    Figures minute{QStringLiteral("page open, last 1 min"), {}};
    Figures hour{QStringLiteral("page open, last 60 min"), {}};
    for (int round = 1; round <= rounds; ++round) {
        closePage();
        closed.phases.append(measure(view));
        for (Figures *open : {&minute, &hour}) {
            if (!openPage(open == &minute ? 60 : 3600)) {
                out << "bench_trends: the trends page did not load\n";
                return 1;
            }
            open->phases.append(measure(view));
        }
        out << QStringLiteral("round %1: closed %2 % CPU; 1 min %3 frames/s, %4 % CPU; 60 min %5 "
                              "frames/s, %6 % CPU\n")
                   .arg(round)
                   .arg(closed.phases.last().cpu, 0, 'f', 1)
                   .arg(minute.phases.last().framesPerSecond, 0, 'f', 1)
                   .arg(minute.phases.last().cpu, 0, 'f', 1)
                   .arg(hour.phases.last().framesPerSecond, 0, 'f', 1)
                   .arg(hour.phases.last().cpu, 0, 'f', 1);
        out.flush();
    }

    out << QStringLiteral("median of %1 rounds of %2 s; %3 series at %4 samples/s, an hour of "
                          "them held; %5 platform, %6, window 1280 x 800:\n")
               .arg(rounds)
               .arg(phaseSeconds)
               .arg(devices * pairsPerDevice)
               .arg(samplesPerSecond)
               .arg(QGuiApplication::platformName(),
                    view.rendererInterface()->graphicsApi() == QSGRendererInterface::Software
                        ? QStringLiteral("software renderer")
                        : QStringLiteral("OpenGL"));
    const double base = closed.median(&Phase::cpu);
    for (const Figures *figures : {&closed, &minute, &hour}) {
        out << QStringLiteral("  %1: %2 frames/s, %3 % of a core")
                   .arg(figures->name, -24)
                   .arg(figures->median(&Phase::framesPerSecond), 5, 'f', 1)
                   .arg(figures->median(&Phase::cpu), 5, 'f', 1);
        if (figures != &closed)
            out << QStringLiteral(", %1 % on top (interface thread %2, render thread %3, "
                                  "software rasterizer %4)")
                       .arg(figures->median(&Phase::cpu) - base, 0, 'f', 1)
                       .arg(figures->median(&Phase::interface) - closed.median(&Phase::interface),
                            0, 'f', 1)
                       .arg(figures->median(&Phase::render) - closed.median(&Phase::render), 0, 'f',
                            1)
                       .arg(figures->median(&Phase::rasterizer) - closed.median(&Phase::rasterizer),
                            0, 'f', 1);
        out << "\n";
    }
    out << "  targets with the page open: >= 30 frames/s, <= 15 % of a core on top\n";
    return 0;
}
