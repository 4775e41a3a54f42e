#pragma once

// What the benchmark programs share: waiting, processor time and memory from
// /proc, helper processes, and the set-up and meter of a window.
#include "application.h"
#include "brokerfixture.h"

#include <QCoreApplication>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QProcess>
#include <QQuickStyle>
#include <QQuickWindow>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTextStream>
#include <QTimer>

#include <atomic>
#include <chrono>
#include <csignal>
#include <functional>
#include <sys/resource.h>
#include <unistd.h>

inline QTextStream out(stdout);

// The fields of a /proc stat file for a process or a thread after its
// command name, which may hold spaces: the state, the parent, eight more,
// then the processor time in user and system mode; none when it is gone.
inline QList<QByteArray> statFields(const QString &statPath, QByteArray *name = nullptr)
{
    QFile stat(statPath);
    const QByteArray text = stat.open(QIODevice::ReadOnly) ? stat.readAll() : QByteArray();
    const qsizetype open = text.indexOf('(');
    const qsizetype close = text.lastIndexOf(')');
    if (name)
        *name = text.mid(open + 1, close - open - 1);
    return text.mid(close + 2).split(' ');
}

// Stops the benchmark. std::exit() skips the objects that would stop the
// programs it started (helpers, brokers), so they are ended here.
[[noreturn]] inline void fail(const QString &why)
{
    QTextStream(stderr) << QCoreApplication::applicationName() << ": " << why << Qt::endl;
    for (const QString &pid : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs)) {
        if (statFields(QStringLiteral("/proc/%1/stat").arg(pid)).value(1).toLongLong() == getpid())
            ::kill(pid.toInt(), SIGTERM);
    }
    std::exit(1);
}

inline QString fixed(double value, int decimals = 1, int width = 0)
{
    return QStringLiteral("%1").arg(value, width, 'f', decimals);
}

inline double median(QList<double> values)
{
    std::sort(values.begin(), values.end());
    return values.value(values.size() / 2);
}

// The median of one figure over rounds of measurements.
template<typename Round>
double median(const QList<Round> &rounds, double Round::*figure)
{
    QList<double> values;
    for (const Round &round : rounds)
        values.append(round.*figure);
    return median(values);
}

inline qint64 nowNs()
{
    return std::chrono::nanoseconds(std::chrono::steady_clock::now().time_since_epoch()).count();
}

// Runs the event loop, sleeping between events (processEvents() with a time
// would spin and bill its spinning to the tool).
inline void waitFor(qint64 ms)
{
    QEventLoop loop;
    QTimer::singleShot(std::max<qint64>(0, ms), &loop, &QEventLoop::quit);
    loop.exec();
}

inline bool waitUntil(const std::function<bool()> &done, int timeoutMs)
{
    for (const qint64 end = nowNs() + timeoutMs * 1'000'000LL; !done() && nowNs() < end;)
        waitFor(5);
    return done();
}

inline double statCpuSeconds(const QString &statPath, QByteArray *name = nullptr)
{
    const QList<QByteArray> fields = statFields(statPath, name);
    return (fields.value(11).toDouble() + fields.value(12).toDouble()) / sysconf(_SC_CLK_TCK);
}

inline qint64 residentKb()
{
    QFile statm(QStringLiteral("/proc/self/statm"));
    statm.open(QIODevice::ReadOnly);
    return statm.readAll().split(' ').value(1).toLongLong() * sysconf(_SC_PAGESIZE) / 1024;
}

// The reference reader of a stream: counts its line feeds and nothing more.
struct LineCounter : QTcpSocket
{
    LineCounter()
    {
        connect(this, &QTcpSocket::readyRead, this, [this] { lines += readAll().count('\n'); });
    }
    qint64 lines = 0;
};

// A program run beside the benchmark, killed when the object goes or the
// benchmark ends; its standard output is dropped unless it is to be read.
struct ChildProcess : QProcess
{
    ChildProcess(const QString &program, const QStringList &arguments, bool readOutput = false)
    {
        setProcessChannelMode(QProcess::ForwardedErrorChannel);
        if (!readOutput)
            setStandardOutputFile(QProcess::nullDevice());
        start(program, arguments);
        if (!waitForStarted(5000))
            fail(QStringLiteral("%1 did not start: %2").arg(program, errorString()));
    }
    ~ChildProcess() override
    {
        kill();
        waitForFinished(3000);
    }
};

// The gateway simulator, so that none of its work is billed to the tool.
struct SimulatorProcess : ChildProcess
{
    explicit SimulatorProcess(const QStringList &arguments)
        : ChildProcess(QStringLiteral(GATEWAY_SIM_PATH),
                       arguments + QStringList{"--at-port", "0", "--no-cloud"}, true)
    {
        if (!waitForReadyRead(5000))
            fail(QStringLiteral("the gateway simulator did not start"));
    }
};

// How mosquitto_pub and mosquitto_sub reach a test broker, as the gateway.
inline QStringList connectionArguments(const MosquittoBroker &broker)
{
    return {"-h", broker.host(),       "-p", QString::number(broker.port()),
            "-u", BrokerFixture::user, "-P", BrokerFixture::password};
}

inline QString mosquittoProgram(const QString &name)
{
    const QString path = MosquittoBroker::findProgram(name);
    if (path.isEmpty())
        fail(name + QStringLiteral(" not found: install mosquitto-clients"));
    return path;
}

// Keeps the tool's settings file in a temporary folder, away from the user's.
struct ConfigHome : QTemporaryDir
{
    ConfigHome() { qputenv("XDG_CONFIG_HOME", path().toUtf8()); }
};

// What a program that shows the tool's pages sets up before the first one.
struct WindowBench : ConfigHome
{
    WindowBench()
    {
        QQuickStyle::setStyle(QStringLiteral("Basic"));
        chooseGraphicsApi();
        registerInterfaceTypes();
    }
};

inline QString rendererName(const QQuickWindow &window)
{
    return window.rendererInterface()->graphicsApi() == QSGRendererInterface::Software
               ? QStringLiteral("software renderer")
               : QStringLiteral("OpenGL");
}

// A stretch of a window's life: frames shown per second, and processor use in
// % of one core by the whole process and by its threads: the interface thread
// (the tool's own code, QML, the scene graph's preparation), Qt Quick's render
// thread (the GL driver), and Mesa's software rasterizer threads
// ("llvmpipe-N"), which stand in for a graphics card on machines without one.
struct Phase
{
    double seconds = 0;
    double framesPerSecond = 0;
    double process = 0;
    double interface = 0;
    double render = 0;
    double rasterizer = 0;
};

// Counts the frames a window shows (swaps may be reported on the render
// thread) and measures phases of its life.
class WindowMeter
{
public:
    explicit WindowMeter(QQuickWindow &window)
    {
        QObject::connect(
            &window, &QQuickWindow::frameSwapped, &window,
            [this] {
                ++m_frames;
                m_lastFrameNs = nowNs();
            },
            Qt::DirectConnection);
    }

    void start() { m_start = totals(); }
    Phase stop() const
    {
        Phase phase = totals();
        phase.seconds -= m_start.seconds;
        phase.framesPerSecond = (phase.framesPerSecond - m_start.framesPerSecond) / phase.seconds;
        for (auto role : {&Phase::process, &Phase::interface, &Phase::render, &Phase::rasterizer})
            phase.*role = 100 * (phase.*role - m_start.*role) / phase.seconds;
        return phase;
    }
    Phase measure(int seconds)
    {
        start();
        waitFor(seconds * 1000);
        return stop();
    }

    // Milliseconds from `sinceNs` to the first frame shown after `afterNs`,
    // or -1 when none comes in time.
    double msUntilShownAfter(qint64 afterNs, qint64 sinceNs, int timeoutMs = 10'000) const
    {
        if (!waitUntil([&] { return m_lastFrameNs > afterNs; }, timeoutMs))
            return -1;
        return (m_lastFrameNs - sinceNs) / 1e6;
    }

private:
    // Running totals: the clock and processor time in seconds, and frames.
    Phase totals() const
    {
        Phase total{nowNs() / 1e9, double(m_frames)};
        rusage usage{};
        getrusage(RUSAGE_SELF, &usage);
        total.process = usage.ru_utime.tv_sec + usage.ru_stime.tv_sec
                        + (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
        const QDir tasks(QStringLiteral("/proc/self/task"));
        for (const QString &task : tasks.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
            QByteArray name;
            const double seconds = statCpuSeconds(tasks.filePath(task) + "/stat", &name);
            if (task.toLongLong() == getpid())
                total.interface += seconds;
            else if (name.startsWith("llvmpipe"))
                total.rasterizer += seconds;
            else if (name.startsWith("QSGRenderThread"))
                total.render += seconds;
        }
        return total;
    }

    std::atomic<qint64> m_frames{0};
    std::atomic<qint64> m_lastFrameNs{0};
    Phase m_start;
};
