// Prints what the log pages cost in the real window: the direct "Logs" page
// fed by the simulator's RS-485 monitor at 300, 3,000 and 30,000 lines/s,
// and the cloud "Logs" page fed at 1,000 msgs/s through a real mosquitto.
// For each: the tool's processor use beside that of a bare reader of the same
// stream, frames drawn per second, how long a click on "Clear All" takes to
// show, and the resident memory; then how long the cloud page takes to show
// after a while away. Feeds and bare readers run in processes of their own
// (this program with --publish or --bare-reader, the simulator,
// mosquitto_sub), so that this process is the tool alone.
//
// View updates count the batches in which the lines shown changed: at high
// rates the page empties its log at the end of nearly every read (the
// 500-piece rule), so there is mostly nothing new to draw.
//
// Run it under a display, for example:
//   xvfb-run -a -s "-screen 0 1280x800x24" bench_logview [--seconds 60] [--away 60]
#include "benchsupport.h"
#include "tcpbridge.h"

#include <QCommandLineParser>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QQmlApplicationEngine>
#include <QQmlContext>
#include <QQuickItem>

namespace {

const QString gatewayAddress = QStringLiteral("127.0.9.2");
const QString deviceId = QStringLiteral("KV-BENCH");
const QString topic = QStringLiteral("Kestrelvane/KV-BENCH/pub/port1");
constexpr int clicksPerScenario = 4;

// The gateway on the broker: a reading on port 1 every millisecond, ten to a
// tick.
int publishPortData(quint16 brokerPort)
{
    QMQTT::Client gateway(QHostAddress(QHostAddress::LocalHost), brokerPort);
    gateway.setUsername(BrokerFixture::user);
    gateway.setPassword(BrokerFixture::password.toUtf8());
    QTimer pacer;
    pacer.setTimerType(Qt::PreciseTimer);
    QObject::connect(&pacer, &QTimer::timeout, [&] {
        for (int i = 0; i < 10; ++i)
            gateway.publish(QMQTT::Message(
                0, topic, R"({"slave":1,"reg":40001,"V":229.5,"I":12.25,"P":2811.0})", 1));
    });
    QObject::connect(&gateway, &QMQTT::Client::connected, [&] { pacer.start(10); });
    gateway.connectToHost();
    return QCoreApplication::exec();
}

QString megabytes(qint64 kb)
{
    return fixed(kb / 1024.0) + QStringLiteral(" MB");
}

class Tool
{
public:
    Tool()
    {
        m_engine.rootContext()->setContextProperty(QStringLiteral("tcpClient"), &m_bridge);
        m_engine.load(QUrl(QStringLiteral("qrc:/main.qml")));
        if (m_engine.rootObjects().isEmpty())
            fail(QStringLiteral("the interface did not load"));
        m_window = qobject_cast<QQuickWindow *>(m_engine.rootObjects().constFirst());
        m_loader = m_window->property("pageLoader").value<QObject *>();
        if (!waitUntil([this] { return m_window->isExposed(); }, 10'000))
            fail(QStringLiteral("the window was not shown"));
        m_meter = std::make_unique<WindowMeter>(*m_window);
    }
    const QQuickWindow &window() const { return *m_window; }

    void monitorScenario(int rate, int seconds)
    {
        SimulatorProcess simulator(
            {"--address", gatewayAddress, "--monitor-rate", QString::number(rate)});
        m_window->setProperty("currentdeviceIP", gatewayAddress);
        m_window->setProperty("ipSelected", true);
        showPage(QStringLiteral("qrc:/Log.qml"));
        if (!waitUntil([&] { return m_bridge.isConnected() && m_bridge.currentPort() == 8880; },
                       10'000))
            fail(QStringLiteral("the Logs page did not reach the monitor"));
        {
            ChildProcess reader(QCoreApplication::applicationFilePath(),
                                {"--bare-reader", gatewayAddress});
            waitFor(2000); // both streams flowing, the page settled
            measure(QStringLiteral("Logs page, RS-485 monitor at %1 lines/s:").arg(rate),
                    reader.processId(), seconds, m_bridge.terminalLogLines(),
                    rate <= 300 ? QStringLiteral(" (target at most 6)") : QString());
        }
        showPage(QString());
        waitUntil([&] { return !m_bridge.isConnected(); }, 5000);
    }

    void cloudScenario(int seconds, int awaySeconds)
    {
        BrokerFixture cloud;
        if (!cloud.start(&m_bridge))
            fail(QStringLiteral("the broker did not start"));
        cloud.store(deviceId);
        if (!cloud.select(deviceId))
            fail(QStringLiteral("the tool did not subscribe its topics"));
        const QString port = QString::number(cloud.broker->port());
        ChildProcess reader(mosquittoProgram("mosquitto_sub"),
                            connectionArguments(*cloud.broker)
                                + QStringList{"-t", topic, "-q", "2"});
        m_window->setProperty("ipSelected", false);
        m_window->setProperty("currentDeviceId", deviceId);
        m_window->setProperty("idSelected", true);
        showPage(QStringLiteral("qrc:/LogMqtt.qml"));
        LogStore *store = m_bridge.terminalLogFromMqttLines();
        ChildProcess gateway(QCoreApplication::applicationFilePath(), {"--publish", port});
        if (!waitUntil([&] { return store->count() > 0; }, 10'000))
            fail(QStringLiteral("no port data reached the tool"));
        waitFor(2000);
        measure(QStringLiteral("Cloud Logs page, port data at 1,000 msgs/s:"), reader.processId(),
                seconds, store);

        // Another page open while the data keeps coming: nobody empties the log.
        showPage(QStringLiteral("qrc:/NetworkMqtt.qml"));
        waitFor(1000);
        const qint64 rssBefore = residentKb();
        waitFor(awaySeconds * 1000);
        const qint64 rssAfter = residentKb();
        const qint64 held = store->byteSize();
        const qint64 clickedNs = nowNs();
        showPage(QStringLiteral("qrc:/LogMqtt.qml"));
        const qint64 createdNs = nowNs();
        const double shownMs = m_meter->msUntilShownAfter(createdNs, clickedNs);
        out << "Back to the cloud Logs page after " << awaySeconds << " s on another page:\n  RSS "
            << megabytes(rssBefore) << " -> " << megabytes(rssAfter) << " while away ("
            << fixed((rssAfter - rssBefore) / 1024.0 * 3600 / awaySeconds)
            << " MB/h; target under 1); the log held " << held / 1024 << " kB\n  page created in "
            << fixed((createdNs - clickedNs) / 1e6, 0) << " ms, shown after " << fixed(shownMs, 0)
            << " ms (target within 100)\n"
            << Qt::flush;
        showPage(QString());
    }

private:
    void showPage(const QString &url) { m_loader->setProperty("source", url); }

    // Runs the page for `seconds`, clicking "Clear All" now and then, and
    // prints what it cost beside the reader `referencePid`.
    void measure(const QString &title, qint64 referencePid, int seconds, LogStore *store,
                 const QString &cpuTarget = QString())
    {
        qint64 lines = 0;
        // Model changes that reach the view: a batch counts once, one that
        // only lets lines go when it removes them.
        qint64 viewUpdates = 0;
        QObject watching; // the connections end with it
        QObject::connect(store, &LogStore::modelReset, &watching, [&] { ++viewUpdates; });
        QObject::connect(store, &LogStore::rowsInserted, &watching, [&] { ++viewUpdates; });
        QObject::connect(store, &LogStore::rowsRemoved, &watching,
                         [&] { viewUpdates += store->count() == store->rowCount(); });
        QObject::connect(store, &LogStore::linesAppended, &watching,
                         [&](const QStringList &added) { lines += added.size(); });
        const auto referenceSeconds = [&] {
            return statCpuSeconds(QStringLiteral("/proc/%1/stat").arg(referencePid));
        };
        const double referenceBefore = referenceSeconds();
        const qint64 rssStartKb = residentKb();
        QList<double> clicksMs;
        QList<double> clickFramesMs;
        const qint64 startNs = nowNs();
        m_meter->start();
        for (int click = 1; click <= clicksPerScenario; ++click) {
            waitFor(seconds * 1000 / (clicksPerScenario + 1));
            const auto [answered, shown] = clickClearAll();
            clicksMs.append(answered);
            if (shown >= 0)
                clickFramesMs.append(shown);
        }
        waitFor(seconds * 1000 - (nowNs() - startNs) / 1'000'000);
        const Phase tool = m_meter->stop();
        const double reference = 100 * (referenceSeconds() - referenceBefore) / tool.seconds;
        const qint64 rssEndKb = residentKb();

        out << title << "\n  lines reaching the tool: " << fixed(lines / tool.seconds, 0)
            << "/s\n  tool CPU " << fixed(tool.process) << " % of one core" << cpuTarget
            << "; bare reader " << fixed(reference, 2) << " %; ratio "
            << fixed(reference > 0 ? tool.process / reference : 0) << "\n  view updates "
            << fixed(viewUpdates / tool.seconds) << "/s, frames " << fixed(tool.framesPerSecond)
            << "/s (target at least 10 at high rates)\n"
            << "  click on \"Clear All\" acted on after " << fixed(median(clicksMs))
            << " ms median, " << fixed(*std::max_element(clicksMs.cbegin(), clicksMs.cend()))
            << " ms at most (target within 100); next frame after "
            << fixed(median(clickFramesMs), 0) << " ms median (" << clickFramesMs.size() << " of "
            << clicksMs.size() << " clicks redrew)\n  RSS " << megabytes(rssStartKb)
            << " at start, " << megabytes(rssEndKb) << " after " << fixed(tool.seconds, 0) << " s ("
            << fixed((rssEndKb - rssStartKb) / 1024.0 * 3600 / tool.seconds)
            << " MB/h; target under 1)\n"
            << Qt::flush;
    }

    // Clicks "Clear All" with events queued as the windowing system would.
    // Returns the milliseconds until the click is acted on (the next queued
    // call after it runs), and until the next frame is shown (-1 if none
    // comes within a second: a log already empty has nothing to redraw).
    std::pair<double, double> clickClearAll()
    {
        auto *page = m_loader->property("item").value<QObject *>();
        auto *button = page ? page->findChild<QQuickItem *>("clearLogButton") : nullptr;
        if (!button)
            fail(QStringLiteral("no \"Clear All\" button"));
        const QPointF at = button->mapToScene(QPointF(button->width() / 2, button->height() / 2));
        const qint64 postedNs = nowNs();
        for (const auto type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease})
            QCoreApplication::postEvent(
                m_window,
                new QMouseEvent(type, at, m_window->mapToGlobal(at), Qt::LeftButton,
                                type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton,
                                Qt::NoModifier));
        qint64 handledNs = 0;
        QMetaObject::invokeMethod(
            m_window, [&] { handledNs = nowNs(); }, Qt::QueuedConnection);
        waitUntil([&] { return handledNs != 0; }, 10'000);
        return {(handledNs - postedNs) / 1e6,
                m_meter->msUntilShownAfter(handledNs, postedNs, 1000)};
    }

    TcpBridge m_bridge;
    QQmlApplicationEngine m_engine;
    QQuickWindow *m_window = nullptr;
    QObject *m_loader = nullptr;
    std::unique_ptr<WindowMeter> m_meter;
};

} // namespace

int main(int argc, char *argv[])
{
    const QByteArray helper = argc == 3 ? argv[1] : "";
    if (helper == "--bare-reader" || helper == "--publish") {
        QCoreApplication app(argc, argv);
        if (helper == "--publish")
            return publishPortData(QByteArray(argv[2]).toUShort());
        LineCounter monitor;
        monitor.connectToHost(QString::fromLatin1(argv[2]), TcpBridge::monitorPort);
        return QCoreApplication::exec();
    }

    QGuiApplication app(argc, argv);
    WindowBench bench;
    QCommandLineParser parser;
    parser.addHelpOption();
    parser.addOptions(
        {{"seconds", "Seconds to measure each page (60).", "s", "60"},
         {"away", "Seconds on another page (60).", "s", "60"},
         {"rates", "Monitor lines/s to run, comma-separated.", "list", "300,3000,30000"}});
    parser.process(app);
    const int seconds = parser.value("seconds").toInt();

    Tool tool;
    out << "Platform " << QGuiApplication::platformName() << ", " << rendererName(tool.window())
        << ", window " << tool.window().width() << "x" << tool.window().height() << ", " << seconds
        << " s per page" << Qt::endl;
    for (const QString &rate : parser.value("rates").split(',', Qt::SkipEmptyParts))
        tool.monitorScenario(rate.toInt(), seconds);
    tool.cloudScenario(seconds, parser.value("away").toInt());
    return 0;
}
