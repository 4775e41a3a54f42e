#include <QtTest>

// The start-up path as a separate process: a QApplication per run.
class TestStartup : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;

    // Runs the program, or the start-up probe on an interface file holding
    // the text given (none: a missing file), until it ends.
    std::unique_ptr<QProcess> run(const QString &qml, const QStringList &args = {},
                                  const char *platform = "offscreen")
    {
        auto process = std::make_unique<QProcess>();
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.remove("DISPLAY");
        environment.remove("WAYLAND_DISPLAY");
        environment.insert("QT_QPA_PLATFORM", platform);
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
    void failsWithAMessageAndMinusOne_data()
    {
        QTest::addColumn<QString>("qml");
        QTest::newRow("missing main file") << QString();
        QTest::newRow("main file that does not compile") << "import QtQuick\nNoSuchType { }\n";
    }
    void failsWithAMessageAndMinusOne()
    {
        QFETCH(QString, qml);
        const auto process = run(qml);
        QCOMPARE(process->exitStatus(), QProcess::NormalExit);
        QCOMPARE(process->exitCode(), 255); // -1 as a process exit code
        const QString out = QString::fromUtf8(process->readAllStandardOutput());
        QVERIFY2(out.startsWith("TITLE:Application Error\n"
                                "TEXT:The user interface (QML) failed to load.\n\n"),
                 qPrintable(out));
        QVERIFY(process->readAllStandardError().contains("Failed to load qrc:/main.qml."));
    }

    void runsTheEventLoopUntilTheWindowCloses()
    {
        const auto process =
            run("import QtQuick\nimport QtQuick.Controls\n"
                "ApplicationWindow { id: w; visible: true\n"
                "  Timer { interval: 200; running: true; onTriggered: {\n"
                "    if (typeof tcpClient === 'undefined' || tcpClient.connectedmqtt) Qt.exit(3)\n"
                "    else w.close() } } }\n");
        QCOMPARE(process->exitCode(), 0);
        QVERIFY(!process->readAllStandardOutput().contains("TITLE:"));
    }

    void commandLineUsesNeedNoDisplay_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QString>("out");
        QTest::newRow("--version")
            << QStringList{"--version"} << QStringLiteral("kestrelvane-config " KV_VERSION "\n");
        QTest::newRow("--help") << QStringList{"--help"} << "Usage: ";
        QTest::newRow("-h after a toolkit option")
            << QStringList{"-style", "Fusion", "-h"} << "Usage: ";
    }

    // With the X11 platform and no display to reach, opening a window aborts.
    void commandLineUsesNeedNoDisplay()
    {
        QFETCH(QStringList, args);
        QFETCH(QString, out);
        const auto process = run(QString(), args, "xcb");
        const QString stdOut = QString::fromUtf8(process->readAllStandardOutput());
        QVERIFY2(stdOut.startsWith(out), qPrintable(stdOut));
        QCOMPARE(process->readAllStandardError(), QByteArray());
        QCOMPARE(process->exitStatus(), QProcess::NormalExit);
        QCOMPARE(process->exitCode(), 0);
    }
};

QTEST_GUILESS_MAIN(TestStartup)
#include "tst_startup.moc"
