// Prints what the log pages cost in the real window: the direct "Logs" page
// fed by the simulator's RS-485 monitor at 300, 3,000 and 30,000 lines/s,
// and the cloud "Logs" page fed at 1,000 msgs/s through a real mosquitto.
// For each: the tool's processor use in % of one core beside that of a bare
// reader of the same stream in the same run, frames drawn per second, how
// long a click on "Clear All" takes to show, and the resident memory; then
// how long the cloud page takes to show after a while away.
//
// View updates count the batches in which the lines shown changed: at high
// rates the page empties its log at the end of nearly every read (the
// 500-piece rule), so there is mostly nothing new to draw.
//
// The simulated gateway runs in a thread of its own and its processor time,
// read from that thread's clock, is taken off the process's. The bare
// readers are processes of their own: this program with --bare-reader for
// the monitor, mosquitto_sub for the broker.
//
// Run it under a display, for example:
//   xvfb-run -a -s "-screen 0 1280x800x24" bench_logview [--seconds 60] [--away 60]
#include "application.h"
#include "benchsupport.h"
#include "gatewaycloudlink.h"
#include "gatewaysimulator.h"
#include "mosquittobroker.h"
#include "mqttclient.h"
#include "mqttsession.h"
#include "settingsstore.h"
#include "tcpbridge.h"

#include <QCommandLineParser>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QProcess>
#include <QQmlApplicationEngine>
#include <QQmlContext>
#include <QQuickItem>
#include <QQuickStyle>
#include <QQuickWindow>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTextStream>
#include <QThread>
#include <QTimer>

#include <atomic>
#include <cstdlib>
#include <ctime>
#include <pthread.h>
#include <sys/resource.h>

namespace {

const QString gatewayAddress = QStringLiteral("127.0.9.2");
const QString deviceId = QStringLiteral("KV-BENCH");
const QString gatewayUser = QStringLiteral("gateway");
const QString gatewayPassword = QStringLiteral("bench-pass");
const QByteArray portReading = R"({"slave":1,"reg":40001,"V":229.5,"I":12.25,"P":2811.0})";
constexpr int clicksPerScenario = 4;

QElapsedTimer &benchClock()
{
    static QElapsedTimer timer;
    return timer;
}

// Runs the event loop, sleeping between events (processEvents() with a time
// would spin and bill its spinning to the tool).
void waitFor(qint64 ms)
{
    QEventLoop loop;
    QTimer::singleShot(std::max<qint64>(0, ms), &loop, &QEventLoop::quit);
    loop.exec();
}

bool waitUntil(const std::function<bool()> &done, int timeoutMs)
{
    QElapsedTimer timer;
    timer.start();
    while (!done() && timer.elapsed() < timeoutMs)
        waitFor(5);
    return done();
}

double selfCpuSeconds()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec
           + (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

// The monitor's bare reader: counts the line feeds of the stream and prints
// the count every second, until killed.
int bareReader(const QString &host, quint16 port)
{
    QTcpSocket socket;
    qint64 lines = 0;
    QObject::connect(&socket, &QTcpSocket::readyRead, [&] {
        const QByteArray bytes = socket.readAll();
        lines += std::count(bytes.cbegin(), bytes.cend(), '\n');
    });
    QTimer report;
    QObject::connect(&report, &QTimer::timeout, [&] { QTextStream(stdout) << lines << Qt::endl; });
    report.start(1000);
    socket.connectToHost(host, port);
    return QCoreApplication::exec();
}

// The simulated gateway: its TCP services and its side of the broker, run
// in a thread of their own.
class GatewayThread
{
public:
    GatewayThread()
    {
        m_context.moveToThread(&m_thread);
        m_thread.start();
        run([this] {
            pthread_getcpuclockid(pthread_self(), &m_cpuClock);
            m_simulator = new GatewaySimulator(&m_context);
        });
    }
    ~GatewayThread()
    {
        run([this] { delete m_simulator; });
        m_thread.quit();
        m_thread.wait();
    }

    void run(const std::function<void()> &work)
    {
        QMetaObject::invokeMethod(&m_context, work, Qt::BlockingQueuedConnection);
    }

    double cpuSeconds() const
    {
        timespec spent{};
        clock_gettime(m_cpuClock, &spent);
        return spent.tv_sec + spent.tv_nsec / 1e9;
    }

    GatewaySimulator *simulator() { return m_simulator; }

    // Joins the broker and publishes a reading on port 1 every millisecond,
    // ten to a tick.
    void startPublishing(const MosquittoBroker &broker)
    {
        run([this, &broker] {
            GatewayModel &model = m_simulator->model();
            model.setBroker(broker.host(), broker.port(), gatewayUser, gatewayPassword);
            model.setDeviceId(deviceId);
            auto *link = new GatewayCloudLink(model, m_simulator);
            auto *pacer = new QTimer(m_simulator);
            pacer->setTimerType(Qt::PreciseTimer);
            QObject::connect(pacer, &QTimer::timeout, link, [link] {
                for (int i = 0; i < 10; ++i)
                    link->publishPortData(1, QString::fromLatin1(portReading));
            });
            QObject::connect(link, &GatewayCloudLink::connected, pacer,
                             [pacer] { pacer->start(10); });
            link->start();
        });
    }

private:
    QThread m_thread;
    QObject m_context;
    GatewaySimulator *m_simulator = nullptr;
    clockid_t m_cpuClock{};
};

// Counts the frames the window draws and remembers when the last was shown;
// swaps may be reported on the render thread.
struct FrameWatch
{
    std::atomic<qint64> frames{0};
    std::atomic<qint64> lastShownNs{0};

    explicit FrameWatch(QQuickWindow *window)
    {
        QObject::connect(
            window, &QQuickWindow::frameSwapped, window,
            [this] {
                ++frames;
                lastShownNs = benchClock().nsecsElapsed();
            },
            Qt::DirectConnection);
    }

    // Milliseconds from `sinceNs` to the first frame shown after `afterNs`.
    double msUntilShownAfter(qint64 afterNs, qint64 sinceNs, int timeoutMs = 10'000)
    {
        if (!waitUntil([&] { return lastShownNs > afterNs; }, timeoutMs))
            return -1;
        return (lastShownNs - sinceNs) / 1e6;
    }
};

// Notes when the window's event loop gets round to a mouse release.
class ReleaseWatch : public QObject
{
public:
    qint64 handledNs = 0;

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::MouseButtonRelease)
            handledNs = benchClock().nsecsElapsed();
        return false;
    }
};

struct Tool
{
    TcpBridge bridge;
    QQmlApplicationEngine engine;
    QMQTT::Client client{QHostAddress(QHostAddress::LocalHost), 1883};
    MqttSession session{&bridge, &client};
    QQuickWindow *window = nullptr;
    QObject *loader = nullptr;

    void load()
    {
        client.setKeepAlive(60);
        client.setCleanSession(true);
        engine.rootContext()->setContextProperty(QStringLiteral("tcpClient"), &bridge);
        registerInterfaceTypes();
        engine.load(QUrl(QStringLiteral("qrc:/main.qml")));
        if (engine.rootObjects().isEmpty())
            fail(QStringLiteral("the interface did not load"));
        window = qobject_cast<QQuickWindow *>(engine.rootObjects().constFirst());
        loader = window->property("pageLoader").value<QObject *>();
        if (!window->isExposed() && !waitUntil([this] { return window->isExposed(); }, 10'000))
            fail(QStringLiteral("the window was not shown"));
    }

    void showPage(const QString &url) { loader->setProperty("source", url); }

    QQuickItem *pageItem(const char *name) const
    {
        auto *page = loader->property("item").value<QObject *>();
        return page ? page->findChild<QQuickItem *>(QLatin1String(name)) : nullptr;
    }

    // Clicks "Clear All" with events queued as the windowing system would.
    // Returns the milliseconds until the click is acted on, and until the
    // next frame is shown (-1 if none comes within a second: a log already
    // empty has nothing to redraw).
    std::pair<double, double> clickClearAll(FrameWatch &frames)
    {
        QQuickItem *button = pageItem("clearLogButton");
        if (!button)
            fail(QStringLiteral("no \"Clear All\" button"));
        const QPointF at = button->mapToScene(QPointF(button->width() / 2, button->height() / 2));
        const QPointF global = window->mapToGlobal(at);
        ReleaseWatch watch;
        window->installEventFilter(&watch);
        const qint64 postedNs = benchClock().nsecsElapsed();
        QCoreApplication::postEvent(window, new QMouseEvent(QEvent::MouseButtonPress, at, global,
                                                            Qt::LeftButton, Qt::LeftButton,
                                                            Qt::NoModifier));
        QCoreApplication::postEvent(window,
                                    new QMouseEvent(QEvent::MouseButtonRelease, at, global,
                                                    Qt::LeftButton, Qt::NoButton, Qt::NoModifier));
        waitUntil([&] { return watch.handledNs != 0; }, 10'000);
        window->removeEventFilter(&watch);
        return {(watch.handledNs - postedNs) / 1e6,
                frames.msUntilShownAfter(watch.handledNs, postedNs, 1000)};
    }
};

struct Figures
{
    double seconds = 0;
    double toolCpu = 0;
    double referenceCpu = 0;
    double framesPerSecond = 0;
    QList<double> clicksMs;
    QList<double> clickFramesMs;
    qint64 rssStartKb = 0;
    qint64 rssEndKb = 0;
    qint64 toolLines = 0;
    double viewUpdatesPerSecond = 0;
};

// Runs the page for `seconds`, clicking "Clear All" now and then.
Figures measure(Tool &tool, GatewayThread &gateway, FrameWatch &frames, qint64 referencePid,
                int seconds, LogStore *store, const std::function<qint64()> &toolLines)
{
    Figures figures;
    // Model changes that reach the view: a batch counts once.
    qint64 viewUpdates = 0;
    QList<QMetaObject::Connection> watching;
    watching.append(QObject::connect(store, &LogStore::modelReset, [&] { ++viewUpdates; }));
    watching.append(QObject::connect(store, &LogStore::rowsInserted, [&] { ++viewUpdates; }));
    watching.append(
        QObject::connect(store, &LogStore::rowsRemoved, [&](const QModelIndex &, int, int) {
            if (store->count() == store->rowCount())
                ++viewUpdates; // a batch that only let lines go
        }));
    const double selfBefore = selfCpuSeconds();
    const double gatewayBefore = gateway.cpuSeconds();
    const double referenceBefore = processCpuSeconds(referencePid);
    const qint64 framesBefore = frames.frames;
    const qint64 linesBefore = toolLines();
    figures.rssStartKb = residentKb();
    QElapsedTimer wall;
    wall.start();
    for (int click = 1; click <= clicksPerScenario; ++click) {
        waitFor(seconds * 1000 / (clicksPerScenario + 1));
        const auto [answered, shown] = tool.clickClearAll(frames);
        figures.clicksMs.append(answered);
        if (shown >= 0)
            figures.clickFramesMs.append(shown);
    }
    waitFor(seconds * 1000 - wall.elapsed());
    figures.seconds = wall.nsecsElapsed() / 1e9;
    const double gatewaySpent = gateway.cpuSeconds() - gatewayBefore;
    figures.toolCpu = 100 * (selfCpuSeconds() - selfBefore - gatewaySpent) / figures.seconds;
    figures.referenceCpu =
        100 * (processCpuSeconds(referencePid) - referenceBefore) / figures.seconds;
    figures.framesPerSecond = (frames.frames - framesBefore) / figures.seconds;
    figures.rssEndKb = residentKb();
    figures.toolLines = toolLines() - linesBefore;
    figures.viewUpdatesPerSecond = viewUpdates / figures.seconds;
    for (const auto &connection : watching)
        QObject::disconnect(connection);
    return figures;
}

QString megabytes(qint64 kb)
{
    return QString::number(kb / 1024.0, 'f', 1) + QStringLiteral(" MB");
}

void report(const QString &title, const Figures &f, const QString &cpuTarget)
{
    const double growthKb = f.rssEndKb - f.rssStartKb;
    out() << title << Qt::endl
          << QStringLiteral("  lines reaching the tool: %1/s\n")
                 .arg(f.toolLines / f.seconds, 0, 'f', 0)
          << QStringLiteral("  tool CPU %1 % of one core%2; bare reader %3 %; ratio %4\n")
                 .arg(f.toolCpu, 0, 'f', 1)
                 .arg(cpuTarget)
                 .arg(f.referenceCpu, 0, 'f', 2)
                 .arg(f.referenceCpu > 0 ? f.toolCpu / f.referenceCpu : 0, 0, 'f', 1)
          << QStringLiteral("  view updates %1/s, frames %2/s (target at least 10 at high rates)\n")
                 .arg(f.viewUpdatesPerSecond, 0, 'f', 1)
                 .arg(f.framesPerSecond, 0, 'f', 1)
          << QStringLiteral("  click on \"Clear All\" acted on after %1 ms median, %2 ms at "
                            "most (target within 100); next frame after %3 ms median (%4 of %5 "
                            "clicks redrew)\n")
                 .arg(median(f.clicksMs), 0, 'f', 1)
                 .arg(*std::max_element(f.clicksMs.cbegin(), f.clicksMs.cend()), 0, 'f', 1)
                 .arg(median(f.clickFramesMs), 0, 'f', 0)
                 .arg(f.clickFramesMs.size())
                 .arg(f.clicksMs.size())
          << QStringLiteral("  RSS %1 at start, %2 after %3 s (%4 MB/h; target under 1)\n")
                 .arg(megabytes(f.rssStartKb), megabytes(f.rssEndKb))
                 .arg(f.seconds, 0, 'f', 0)
                 .arg(growthKb / 1024.0 * 3600 / f.seconds, 0, 'f', 1)
          << Qt::flush;
}

void monitorScenario(Tool &tool, GatewayThread &gateway, FrameWatch &frames, int rate, int seconds)
{
    gateway.run([&] { gateway.simulator()->setMonitorRate(rate); });
    tool.window->setProperty("currentdeviceIP", gatewayAddress);
    tool.window->setProperty("ipSelected", true);
    tool.showPage(QStringLiteral("qrc:/Log.qml"));
    if (!waitUntil([&] { return tool.bridge.isConnected() && tool.bridge.currentPort() == 8880; },
                   10'000))
        fail(QStringLiteral("the Logs page did not reach the monitor"));

    QProcess reader;
    reader.start(QCoreApplication::applicationFilePath(),
                 {"--bare-reader", gatewayAddress, QString::number(TcpBridge::monitorPort)});
    if (!reader.waitForStarted(5000))
        fail(QStringLiteral("the bare reader did not start"));

    qint64 lines = 0;
    const auto counting =
        QObject::connect(tool.bridge.terminalLogLines(), &LogStore::linesAppended,
                         [&](const QStringList &added) { lines += added.size(); });
    waitFor(2000); // both streams flowing, the page settled
    const Figures figures = measure(tool, gateway, frames, reader.processId(), seconds,
                                    tool.bridge.terminalLogLines(), [&] { return lines; });
    QObject::disconnect(counting);
    reader.kill();
    reader.waitForFinished(3000);
    tool.showPage(QString());
    waitUntil([&] { return !tool.bridge.isConnected(); }, 5000);

    report(QStringLiteral("Logs page, RS-485 monitor at %1 lines/s:").arg(rate), figures,
           rate <= 300 ? QStringLiteral(" (target at most 10)") : QString());
}

void cloudScenario(Tool &tool, GatewayThread &gateway, FrameWatch &frames, int seconds,
                   int awaySeconds)
{
    MosquittoBroker broker;
    broker.addUser(gatewayUser, gatewayPassword);
    if (!broker.start())
        fail(broker.errorString());
    const QString subscriber = MosquittoBroker::findProgram(QStringLiteral("mosquitto_sub"));
    if (subscriber.isEmpty())
        fail(QStringLiteral("mosquitto_sub not found: install mosquitto-clients"));

    SettingsStore::writeBrokerSettings(
        deviceId, {broker.host(), QString::number(broker.port()), gatewayUser, gatewayPassword});
    int subscribed = 0;
    QObject::connect(&tool.client, &QMQTT::Client::subscribed, [&] { ++subscribed; });
    tool.bridge.sendTopicDeviceId(deviceId);
    if (!waitUntil([&] { return subscribed >= 5; }, 10'000))
        fail(QStringLiteral("the tool did not subscribe its topics"));

    const QString topic = QStringLiteral("Kestrelvane/%1/pub/port1").arg(deviceId);
    QProcess reader;
    reader.setStandardOutputFile(QProcess::nullDevice());
    reader.start(subscriber, {"-h", broker.host(), "-p", QString::number(broker.port()), "-u",
                              gatewayUser, "-P", gatewayPassword, "-t", topic, "-q", "2"});
    if (!reader.waitForStarted(5000))
        fail(QStringLiteral("mosquitto_sub did not start"));

    tool.window->setProperty("ipSelected", false);
    tool.window->setProperty("currentDeviceId", deviceId);
    tool.window->setProperty("idSelected", true);
    tool.showPage(QStringLiteral("qrc:/LogMqtt.qml"));
    qint64 messages = 0;
    QObject::connect(tool.bridge.terminalLogFromMqttLines(), &LogStore::linesAppended,
                     [&] { ++messages; });
    gateway.startPublishing(broker);
    if (!waitUntil([&] { return messages > 0; }, 10'000))
        fail(QStringLiteral("no port data reached the tool"));
    waitFor(2000);

    const Figures figures =
        measure(tool, gateway, frames, reader.processId(), seconds,
                tool.bridge.terminalLogFromMqttLines(), [&] { return messages; });
    report(QStringLiteral("Cloud Logs page, port data at 1,000 msgs/s:"), figures, QString());

    // Another page open while the data keeps coming: nobody empties the log.
    tool.showPage(QStringLiteral("qrc:/NetworkMqtt.qml"));
    waitFor(1000);
    const qint64 rssBefore = residentKb();
    waitFor(awaySeconds * 1000);
    const qint64 rssAfter = residentKb();
    const qint64 held = tool.bridge.terminalLogFromMqttLines()->byteSize();

    const qint64 clickedNs = benchClock().nsecsElapsed();
    tool.showPage(QStringLiteral("qrc:/LogMqtt.qml"));
    const qint64 createdNs = benchClock().nsecsElapsed();
    const double shownMs = frames.msUntilShownAfter(createdNs, clickedNs);
    out() << QStringLiteral("Back to the cloud Logs page after %1 s on another page:\n")
                 .arg(awaySeconds)
          << QStringLiteral("  RSS %1 -> %2 while away (%3 MB/h; target under 1); the log held "
                            "%4 kB\n")
                 .arg(megabytes(rssBefore), megabytes(rssAfter))
                 .arg((rssAfter - rssBefore) / 1024.0 * 3600 / awaySeconds, 0, 'f', 1)
                 .arg(held / 1024)
          << QStringLiteral("  page created in %1 ms, shown after %2 ms (target within 100)\n")
                 .arg((createdNs - clickedNs) / 1e6, 0, 'f', 0)
                 .arg(shownMs, 0, 'f', 0)
          << Qt::flush;

    tool.showPage(QString());
    reader.kill();
    reader.waitForFinished(3000);
}

} // namespace

int main(int argc, char *argv[])
{
    if (argc == 4 && qstrcmp(argv[1], "--bare-reader") == 0) {
        QCoreApplication app(argc, argv);
        return bareReader(QString::fromLatin1(argv[2]), quint16(QByteArray(argv[3]).toUShort()));
    }

    QGuiApplication app(argc, argv);
    QQuickStyle::setStyle(QStringLiteral("Basic"));
    chooseGraphicsApi();
    qputenv("QT_LOGGING_RULES", "default.debug=false");
    benchClock().start();

    QCommandLineParser parser;
    parser.addHelpOption();
    const QCommandLineOption secondsOption(QStringLiteral("seconds"),
                                           QStringLiteral("Seconds to measure each page (60)."),
                                           QStringLiteral("s"), QStringLiteral("60"));
    const QCommandLineOption awayOption(QStringLiteral("away"),
                                        QStringLiteral("Seconds on another page (60)."),
                                        QStringLiteral("s"), QStringLiteral("60"));
    const QCommandLineOption ratesOption(QStringLiteral("rates"),
                                         QStringLiteral("Monitor lines/s to run, comma-separated."),
                                         QStringLiteral("list"), QStringLiteral("300,3000,30000"));
    parser.addOptions({secondsOption, awayOption, ratesOption});
    parser.process(app);
    const int seconds = parser.value(secondsOption).toInt();

    QTemporaryDir configHome; // the tool's settings file, away from the user's
    qputenv("XDG_CONFIG_HOME", configHome.path().toUtf8());

    GatewayThread gateway;
    bool started = false;
    gateway.run([&] {
        GatewayPorts ports;
        ports.atConsole = 0;
        started = gateway.simulator()->start(QHostAddress(gatewayAddress), ports);
    });
    if (!started)
        fail(QStringLiteral("the gateway simulator did not start on %1").arg(gatewayAddress));

    Tool tool;
    tool.load();
    FrameWatch frames(tool.window);
    out() << "Platform " << QGuiApplication::platformName() << ", "
          << (tool.window->rendererInterface()->graphicsApi() == QSGRendererInterface::Software
                  ? "software renderer"
                  : "OpenGL")
          << ", window " << tool.window->width() << "x" << tool.window->height() << ", " << seconds
          << " s per page" << Qt::endl;

    for (const QString &rate : parser.value(ratesOption).split(',', Qt::SkipEmptyParts))
        monitorScenario(tool, gateway, frames, rate.toInt(), seconds);
    cloudScenario(tool, gateway, frames, seconds, parser.value(awayOption).toInt());
    return 0;
}
