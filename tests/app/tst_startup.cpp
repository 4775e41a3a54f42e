#include <QtTest>

// The start-up path as a separate process: a QApplication per run.
class TestStartup : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;

    // Runs the program with a command line, on the X11 platform with no display
    // to reach, where opening a window aborts; or, with none, the start-up
    // probe on an interface file holding the text given (none: a missing file).
    std::unique_ptr<QProcess> run(const QString &qml, const QStringList &args)
    {
        auto process = std::make_unique<QProcess>();
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.remove("DISPLAY");
        environment.remove("WAYLAND_DISPLAY");
        environment.insert("QT_QPA_PLATFORM", args.isEmpty() ? "offscreen" : "xcb");
        environment.insert("XDG_CONFIG_HOME", m_dir.path());
        process->setProcessEnvironment(environment);
        if (!args.isEmpty()) {
            process->start(QStringLiteral(PROGRAM_PATH), args);
        } else {
            QFile file(m_dir.filePath("main.qml"));
            if (qml.isNull())
                file.remove();
            else if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
                file.write(qml.toUtf8());
            process->start(QStringLiteral(STARTUP_PROBE_PATH), {file.fileName()});
        }
        process->waitForFinished(30000);
        return process;
    }

private slots:
    void startsOrFailsWithAMessage_data()
    {
        QTest::addColumn<QString>("qml"); // null: a missing file
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("out");    // what it prints first; "": nothing at all
        QTest::addColumn<QByteArray>("err"); // what its errors hold; null: nothing at all
        const QString failed = "TITLE:Application Error\n"
                               "TEXT:The user interface (QML) failed to load.\n\n";
        const QByteArray loadError = "Failed to load qrc:/main.qml.";
        // -1 as a process exit code
        QTest::newRow("missing main file")
            << QString() << QStringList() << 255 << failed << loadError;
        QTest::newRow("main file that does not compile")
            << "import QtQuick\nNoSuchType { }\n"
            << QStringList() << 255 << failed << loadError;
        QTest::newRow("event loop runs until the window closes")
            << "import QtQuick\nimport QtQuick.Controls\n"
               "ApplicationWindow { id: w; visible: true\n"
               "  Timer { interval: 200; running: true; onTriggered: {\n"
               "    if (typeof tcpClient === 'undefined' || tcpClient.connectedmqtt) Qt.exit(3)\n"
               "    else w.close() } } }\n"
            << QStringList() << 0 << "" << QByteArray("");
        const QString usage = "Usage: ";
        QTest::newRow("--version")
            << QString() << QStringList{"--version"} << 0
            << QStringLiteral("kestrelvane-config " KV_VERSION "\n") << QByteArray();
        QTest::newRow("--help") << QString() << QStringList{"--help"} << 0 << usage << QByteArray();
        QTest::newRow("-h after a toolkit option")
            << QString() << QStringList{"-style", "Fusion", "-h"} << 0 << usage << QByteArray();
        QTest::newRow("backup --help")
            << QString() << QStringList{"backup", "--help"} << 0
            << "Usage: kestrelvane-config backup (--gateway HOST[:PORT] | --device-id ID) -o FILE"
            << QByteArray();
        QTest::newRow("restore -h") << QString() << QStringList{"restore", "-h"} << 0
                                    << "Usage: kestrelvane-config restore FILE" << QByteArray();
        // Bad usage: the word named on stderr, nothing on stdout, status 2,
        // and never the window (which would abort here without a display).
        const auto bad = [](const char *tag, const QStringList &args, const char *why) {
            QTest::newRow(tag) << QString() << args << 2 << "" << QByteArray(why);
        };
        bad("unknown word", {"frobnicate"}, "unknown command 'frobnicate'\nTry ");
        bad("unknown short option", {"-v"}, "unknown option '-v'");
        bad("misspelt option", {"--versio"}, "unknown option '--versio'");
        bad("unknown word after a toolkit option", {"-style", "Fusion", "x"},
            "unknown command 'x'");
        bad("extra word after --version", {"--version", "now"}, "unexpected argument 'now'");
        bad("subcommand's unknown option", {"backup", "--gateway", "h", "-o", "f", "--frob"},
            "Unknown option 'frob'.\nUsage: kestrelvane-config backup");
        bad("extra argument", {"backup", "--gateway", "h", "-o", "f", "g"},
            "backup: unexpected argument 'g'");
        bad("missing file", {"restore", "--gateway", "h"}, "restore: missing FILE");
        bad("missing gateway", {"restore", "f.json"}, "restore: missing --gateway HOST[:PORT]");
        bad("missing output", {"backup", "--gateway", "h"}, "backup: missing -o FILE");
        bad("missing option value", {"backup", "-o", "f", "--gateway"},
            "Missing value after '--gateway'.");
        bad("other port", {"backup", "--gateway", "127.0.0.1:80", "-o", "f"},
            "port 80 in '127.0.0.1:80': the gateway takes commands on port 8881");
        bad("not an address", {"backup", "--gateway", "127.0.0.1:x", "-o", "f"},
            "'127.0.0.1:x' is not HOST[:PORT]");
    }
    void startsOrFailsWithAMessage()
    {
        QFETCH(QString, qml);
        QFETCH(QStringList, args);
        QFETCH(int, exitCode);
        QFETCH(QString, out);
        QFETCH(QByteArray, err);
        const auto process = run(qml, args);
        QCOMPARE(process->exitStatus(), QProcess::NormalExit);
        QCOMPARE(process->exitCode(), exitCode);
        const QString stdOut = QString::fromUtf8(process->readAllStandardOutput());
        QVERIFY2(out.isEmpty() ? stdOut.isEmpty() : stdOut.startsWith(out), qPrintable(stdOut));
        const QByteArray stdErr = process->readAllStandardError();
        QVERIFY2(err.isNull() ? stdErr.isEmpty() : stdErr.contains(err), stdErr.constData());
    }
};

QTEST_GUILESS_MAIN(TestStartup)
#include "tst_startup.moc"
