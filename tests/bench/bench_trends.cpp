// Prints frames drawn per second and the process's CPU use (% of one core)
// while 20 series arrive at 10 samples/s each over the RS-485 monitor link,
// with the trends page open and all 20 series shown, beside the same run
// with the page closed, and the difference. Run it in a real window
// (xvfb-run, or a desktop); the offscreen platform has no OpenGL.
#include "benchsupport.h"
#include "tcpbridge.h"

#include <QApplication>
#include <QDateTime>
#include <QQmlContext>
#include <QQmlEngine>
#include <QQuickItem>
#include <QQuickView>
#include <QTcpServer>
#include <QtMath>

#include <cstring>

namespace {

const QHostAddress address(QStringLiteral("127.0.9.2"));
constexpr int devices = 2;
constexpr int pairsPerDevice = 10; // 2 x 10 = 20 series
constexpr int samplesPerSecond = 10;
constexpr int phaseSeconds = 10;
constexpr int rounds = 5;

double sample(int device, int pair, double step)
{
    return 100 * pair + 50 * qSin(0.05 * step + pair + device);
}

// What a gateway's monitor port sends every 100 ms: one header and one
// register line of ten pairs per device, each a float, high word first.
QByteArray monitorBlock(int tick)
{
    QString block;
    for (int d = 0; d < devices; ++d) {
        block += QStringLiteral("[RS485] DATA port%1 id=%1 'Meter %1' regs=20\n").arg(d + 1);
        block += QStringLiteral("[0x%1]").arg(d * 0x100, 4, 16, QLatin1Char('0'));
        for (int p = 0; p < pairsPerDevice; ++p) {
            const auto value = float(sample(d, p, tick));
            quint32 bits;
            std::memcpy(&bits, &value, sizeof bits);
            block += QStringLiteral(" %1 %2").arg(bits >> 16).arg(bits & 0xFFFF);
        }
        block += QLatin1Char('\n');
    }
    return block.toLatin1();
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    WindowBench bench;
    QTcpServer monitorPort;
    if (!monitorPort.listen(address, TcpBridge::monitorPort))
        fail(QStringLiteral("cannot listen on ") + address.toString());
    QPointer<QTcpSocket> peer;
    QObject::connect(&monitorPort, &QTcpServer::newConnection,
                     [&] { peer = monitorPort.nextPendingConnection(); });
    int tick = 0;
    QTimer feed;
    QObject::connect(&feed, &QTimer::timeout, [&] {
        if (peer)
            peer->write(monitorBlock(++tick));
    });
    feed.start(1000 / samplesPerSecond);
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
                bridge.trends()->append(name, now - i * 1000 / samplesPerSecond, sample(d, p, i));
        }
    }
    bridge.connectToDevice(address.toString(), TcpBridge::monitorPort);

    QQuickView view;
    view.engine()->rootContext()->setContextProperty(QStringLiteral("tcpClient"), &bridge);
    view.setResizeMode(QQuickView::SizeRootObjectToView);
    view.resize(1280, 800);
    view.show();
    WindowMeter meter(view);

    // The feed's samples go to the series filled above, and no others.
    waitFor(2000);
    const TrendSeries *last = bridge.trends()->series(bridge.trends()->names().constLast());
    if (bridge.trends()->count() != devices * pairsPerDevice
        || last->at(last->size() - 1).time < now)
        fail(QStringLiteral("the monitor feed did not reach the %1 series")
                 .arg(devices * pairsPerDevice));

    const auto openPage = [&](int spanSeconds) {
        view.setSource(QUrl(QStringLiteral("qrc:/TrendsMqtt.qml")));
        auto *panel = view.rootObject()->findChild<QQuickItem *>(QStringLiteral("trendsPanel"));
        auto *plot = view.rootObject()->findChild<QQuickItem *>(QStringLiteral("trendPlot"));
        if (!panel || !plot || !panel->setProperty("selected", bridge.trends()->names())
            || !plot->setProperty("spanSeconds", spanSeconds))
            fail(QStringLiteral("the trends page did not load"));
    };
    QList<Phase> closed, minute, hour;
    for (int round = 1; round <= rounds; ++round) {
        view.setSource(QUrl(QStringLiteral("qrc:/firstpage.qml")));
        closed.append(meter.measure(phaseSeconds));
        openPage(60);
        minute.append(meter.measure(phaseSeconds));
        openPage(3600);
        hour.append(meter.measure(phaseSeconds));
        out << QStringLiteral("round %1: closed %2 % CPU; 1 min %3 frames/s, %4 % CPU; 60 min %5 "
                              "frames/s, %6 % CPU\n")
                   .arg(round)
                   .arg(fixed(closed.last().process), fixed(minute.last().framesPerSecond),
                        fixed(minute.last().process), fixed(hour.last().framesPerSecond),
                        fixed(hour.last().process))
            << Qt::flush;
    }

    out << QStringLiteral("median of %1 rounds of %2 s; %3 series at %4 samples/s, an hour of "
                          "them held; %5 platform, %6, window 1280 x 800:\n")
               .arg(rounds)
               .arg(phaseSeconds)
               .arg(devices * pairsPerDevice)
               .arg(samplesPerSecond)
               .arg(QGuiApplication::platformName(), rendererName(view));
    const std::pair<QString, const QList<Phase> *> phases[] = {
        {QStringLiteral("page closed"), &closed},
        {QStringLiteral("page open, last 1 min"), &minute},
        {QStringLiteral("page open, last 60 min"), &hour}};
    for (const auto &[name, figures] : phases) {
        out << QStringLiteral("  %1: %2 frames/s, %3 % of a core")
                   .arg(name, -24)
                   .arg(fixed(median(*figures, &Phase::framesPerSecond), 1, 5),
                        fixed(median(*figures, &Phase::process), 1, 5));
        if (figures != &closed) {
            const auto onTop = [&](double Phase::*role) {
                return fixed(median(*figures, role) - median(closed, role));
            };
            out << QStringLiteral(", %1 % on top (interface thread %2, render thread %3, "
                                  "software rasterizer %4)")
                       .arg(onTop(&Phase::process), onTop(&Phase::interface), onTop(&Phase::render),
                            onTop(&Phase::rasterizer));
        }
        out << "\n";
    }
    out << "  targets with the page open: >= 30 frames/s, <= 15 % of a core on top\n";
    return 0;
}
