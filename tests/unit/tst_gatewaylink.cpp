#include "gatewaylink.h"

#include <QtTest>

namespace {

// A transport that writes into the trace the test reads back.
class ScriptedLink : public GatewayLink
{
public:
    QStringList trace;
    using GatewayLink::setUp;
    using GatewayLink::takeLine;
    using GatewayLink::takeMessageEnd;
    using GatewayLink::takeWritten;

protected:
    void write(const QString &command) override { trace << "w " + command; }
};

} // namespace

// One command in flight, the rest queued; every reply ends exactly once.
class TestGatewayLink : public QObject
{
    Q_OBJECT

private slots:
    void endsEachReplyOnce_data()
    {
        // Steps separated by '|': ">cmd" sends (">cmd@ms" with a guard), "^cmd"
        // is a page's own command (written at once, "p cmd", on an idle link),
        // "<line" receives, "." ends a transport message, "!" drops the link, "+"
        // brings it up, "~" waits past any guard.
        QTest::addColumn<QString>("steps");
        QTest::addColumn<QString>("trace");
        QTest::newRow("the second waits for the first")
            << ">SET a 1|>SET b 2|<OK: a updated|<OK: b updated|<OK"
            << "w SET a 1, SET a 1 Answered OK: a updated, w SET b 2, SET b 2 Answered OK: b "
               "updated";
        QTest::newRow("echo, then a refusal naming the key")
            << ">SET a 1|<SET a 1|<ERROR: a rejected|<OK"
            << "w SET a 1, SET a 1 Refused ERROR: a rejected";
        QTest::newRow("lost link ends the one in flight and the queued")
            << ">rs485del 0|>SAVE|!"
            << "w rs485del 0, rs485del 0 LinkLost, SAVE LinkLost";
        QTest::newRow("nothing leaves while down") << "!|>SAVE|~|+"
                                                   << "SAVE LinkLost";
        QTest::newRow("guard, with what came") << ">rs485add 1@30|<busy|~|>SAVE"
                                               << "w rs485add 1, rs485add 1 NoAnswer busy, w SAVE";
        QTest::newRow("a read ends at the prompt") << ">GETALL|<a=1|<>"
                                                   << "w GETALL, GETALL Answered >";
        QTest::newRow("a page's read waits for the awaited save")
            << ">SAVE|^GET rs485list|<OK: saved to flash|<rs485DevCnt=0|<>|>SET a 1|<OK: a updated"
            << "w SAVE, SAVE Answered OK: saved to flash, w GET rs485list, w SET a 1, SET a 1 "
               "Answered OK: a updated";
        QTest::newRow("or goes out at once on an idle link")
            << "^GETALL|<a=1|>SAVE|<OK: saved to flash"
            << "p GETALL, w SAVE, SAVE Answered OK: saved to flash";
        QTest::newRow("or with its message")
            << ">GET rs485list|<rs485DevCnt=0|."
            << "w GET rs485list, GET rs485list Answered rs485DevCnt=0";
    }
    void endsEachReplyOnce()
    {
        QFETCH(QString, steps);
        QFETCH(QString, trace);
        ScriptedLink link;
        link.setUp(true);
        for (const QString &step : steps.split('|')) {
            const QString arg = step.mid(1);
            if (step.startsWith('>')) {
                CommandReply *reply =
                    link.send(arg.section('@', 0, 0), arg.section('@', 1).toInt());
                connect(reply, &CommandReply::finished, this, [&link, reply] {
                    const QString state =
                        QMetaEnum::fromType<CommandReply::State>().valueToKey(int(reply->state()));
                    link.trace << (reply->command() + " " + state + " " + reply->text()).trimmed();
                });
            } else if (step.startsWith('^')) {
                if (!link.deferWhileBusy(arg, 1000)) {
                    link.trace << "p " + arg;
                    link.takeWritten(arg);
                }
            } else if (step.startsWith('<')) {
                link.takeLine(arg);
            } else if (step == ".") {
                link.takeMessageEnd();
            } else if (step == "~") {
                QTest::qWait(100);
            } else {
                link.setUp(step == "+");
            }
            QCoreApplication::processEvents();
        }
        QCOMPARE(link.trace.join(", "), trace);
    }
};

QTEST_GUILESS_MAIN(TestGatewayLink)
#include "tst_gatewaylink.moc"
