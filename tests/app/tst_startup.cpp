#include <QtTest>

// The start-up path as a separate process: a QApplication per run.
class TestStartup : public QObject
{
    Q_OBJECT

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
        QString path = m_dir.filePath("absent.qml");
        if (!qml.isNull()) {
            path = m_dir.filePath("broken.qml");
            QFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(qml.toUtf8());
        }
        QProcess *process = probe(path);
        QVERIFY(process->waitForFinished(30000));
        QCOMPARE(process->exitStatus(), QProcess::NormalExit);
        QCOMPARE(process->exitCode(), 255); // -1 as a process exit code

        const QString out = QString::fromUtf8(process->readAllStandardOutput());
        QVERIFY2(out.contains("TITLE:Application Error\n"), qPrintable(out));
        QVERIFY(
            out.contains("TEXT:The user interface (QML) failed to load.\n\nThis usually means the "
                         "deployment is incomplete:\n- The 'qml' folder is missing next to the "
                         "exe, or\n- windeployqt was run without the --qmldir option.\n\nSee the "
                         "console output for the detailed QML errors.\n"));
        const QString err = QString::fromUtf8(process->readAllStandardError());
        QVERIFY2(err.contains("Failed to load qrc:/main.qml. Check that the 'qml' folder and Qt "
                              "plugins aredeployed next to the exe (windeployqt --qmldir ...)."),
                 qPrintable(err));
    }
    void runsTheEventLoopUntilTheWindowCloses()
    {
        const QString path = m_dir.filePath("closing.qml");
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(
            "import QtQuick\nimport QtQuick.Controls\n"
            "ApplicationWindow { id: w; visible: true\n"
            "  Timer { interval: 200; running: true; onTriggered: {\n"
            "    if (typeof tcpClient === 'undefined' || tcpClient.connectedmqtt) Qt.exit(3)\n"
            "    else w.close() } } }\n");
        file.close();
        QProcess *process = probe(path);
        QVERIFY(process->waitForFinished(30000));
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
    void commandLineUsesNeedNoDisplay()
    {
        QFETCH(QStringList, args);
        QFETCH(QString, out);
        // With the X11 platform and no display to reach, opening a window aborts.
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.remove("DISPLAY");
        environment.remove("WAYLAND_DISPLAY");
        environment.insert("QT_QPA_PLATFORM", "xcb");
        QProcess process;
        process.setProcessEnvironment(environment);
        process.start(QStringLiteral(PROGRAM_PATH), args);
        QVERIFY(process.waitForFinished(30000));
        const QString stdOut = QString::fromUtf8(process.readAllStandardOutput());
        QVERIFY2(stdOut.startsWith(out), qPrintable(stdOut));
        QCOMPARE(QString::fromUtf8(process.readAllStandardError()), QString());
        QCOMPARE(process.exitStatus(), QProcess::NormalExit);
        QCOMPARE(process.exitCode(), 0);
    }

private:
    QProcess *probe(const QString &qmlFile);
    QTemporaryDir m_dir;
};

QProcess *TestStartup::probe(const QString &qmlFile)
{
    auto *process = new QProcess(this);
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("QT_QPA_PLATFORM", "offscreen");
    environment.insert("XDG_CONFIG_HOME", m_dir.path());
    process->setProcessEnvironment(environment);
    process->start(QStringLiteral(STARTUP_PROBE_PATH), {qmlFile});
    return process;
}

QTEST_GUILESS_MAIN(TestStartup)
#include "tst_startup.moc"
