import QtQuick
import QtTest

// The start/stop page against the broker and the simulated gateway: each
// action's command and confirmation, the restart question, the 5 s guard,
// the 2 s close, and a new action that keeps its box up.
PageCase {
    name: "StartOrStop"

    function init() {
        openCloud("qrc:/StartOrStop.qml", "Device - Start/Stop")
    }

    function expectBox(message, running) {
        tryCompare(page, "busyMessage", message, 7000)
        compare([page.busyRunning, named("statusOverlay").visible], [running, true])
    }

    // The restart goes through its confirmation, where "No" sends nothing.
    function act(action) {
        click(action + "Card")
        if (action !== "restart")
            return
        for (var answer of ["rebootNo", "rebootYes"]) {
            var popup = waitOpened("rebootPopup")
            wait(100)
            mouseClick(named(answer))
            tryCompare(popup, "opened", false)
            if (answer === "rebootNo") {
                wait(300)
                compare([cloud.messages(topic("config")), page.busyVisible, page.timeoutTimer.running], [[], false, false])
                click("restartCard")
            }
        }
    }

    // Milliseconds until the box is hidden, counted from `since`.
    function hiddenAfter(since) {
        tryCompare(named("statusOverlay"), "visible", false, 3000)
        return Date.now() - since
    }

    function test_actionConfirmedByTheGateway_data() {
        return [
            { tag: "start", command: "config:rs485/start", waiting: "Starting...", confirmed: "✔ Data Started" },
            { tag: "stop", command: "config:rs485/stop", waiting: "Stopping...", confirmed: "Data Stopped" },
            { tag: "restart", command: "gateway:restart", waiting: "Restarting...", confirmed: "Device Restarting" }
        ]
    }

    function test_actionConfirmedByTheGateway(data) {
        act(data.tag)
        // Before any answer can have come back.
        compare([page.busyMessage, page.busyRunning, page.busyVisible, page.timeoutTimer.running],
                [data.waiting, true, true, true])
        compare(seenOn(topic("config"), 1), [data.command])
        expectBox(data.confirmed, false)
        var confirmedAt = Date.now()
        compare([page.timeoutTimer.running, cloud.cloudCommands()], [false, [data.command]])
        var closed = hiddenAfter(confirmedAt)
        verify(closed >= 1800 && closed < 2600, "closed " + closed + " ms after the outcome")
    }

    // The overlay catches no clicks: a second action goes through, its guard
    // counts from the second click, and the earlier close delay is stopped.
    function test_noAnswerTimesOutAfterFiveSeconds_data() {
        return [ { tag: "one action" }, { tag: "second action", first: "start" } ]
    }

    function test_noAnswerTimesOutAfterFiveSeconds(data) {
        if (data.first) {
            act(data.first)
            expectBox("✔ Data Started", false)
        }
        silenceGateway()
        t0 = Date.now()
        act("stop")
        verify(!page.closeTimer.running)
        compare(seenOn(topic("config"), data.first ? 2 : 1).slice(-1), ["config:rs485/stop"])
        expectBox("⚠ Try again later", false)
        var timedOut = Date.now()
        verify(timedOut - t0 >= 4900 && timedOut - t0 < 6000, "timed out after " + (timedOut - t0) + " ms")
        verify(hiddenAfter(timedOut) >= 1800)
        compare(cloud.messages(topic("config")).length, data.first ? 2 : 1)
    }

    // The page takes any status as it comes, whatever it sent, late or not.
    function test_statusTexts_data() {
        return [
            { tag: "late, after the time-out", action: "start", late: true, status: "OK:RS485/start",
              shown: "✔ Data Started" },
            { tag: "another action's", action: "start", status: "OK:RS485/stop", shown: "Data Stopped" },
            { tag: "unknown keeps the waiting text", action: "stop", status: "paused", call: true, shown: "Stopping..." },
            { tag: "while hidden", status: "OK:RS485/stop", shown: "Data Stopped" }
        ]
    }

    function test_statusTexts(data) {
        silenceGateway()
        if (data.action) {
            act(data.action)
            seenOn(topic("config"), 1)
        }
        if (data.late)
            expectBox("⚠ Try again later", false)
        if (data.call)
            tcpClient.sendStrtStopStatus(data.status)
        else
            cloud.publish(topic("response"), data.status)
        if (!data.action) {
            tryCompare(page, "busyMessage", data.shown, 5000)
            wait(300)
            return verify(!named("statusOverlay").visible)
        }
        tryVerify(function() { return !page.busyRunning }, 5000)
        expectBox(data.shown, false)
        verify(!page.timeoutTimer.running)
        verify(hiddenAfter(Date.now()) >= 1700)
    }

    // While the broker is out of reach, each cloud page's message line says
    // why, as the broker popup does, and no longer once the link is back.
    function test_brokerFailureIsNamedOnTheCloudPages_data() {
        return [ { tag: "start and stop", url: "qrc:/StartOrStop.qml", line: "errText" },
                 { tag: "add device", url: "qrc:/AddNewMeterMqtt.qml", line: "errText" },
                 { tag: "device list", url: "qrc:/AvailableMeterMqtt.qml", line: "listNotice" },
                 { tag: "single register", url: "qrc:/SingleRegister.qml", line: "errText" } ]
    }

    function test_brokerFailureIsNamedOnTheCloudPages(data) {
        load(data.url)
        cloud.stopBroker()
        var down = true
        try { // the next row needs the broker back, whatever became of this one
            tryVerify(function() { return tcpClient.brokerError.length > 0 }, 8000, "no broker failure")
            var failure = tcpClient.brokerError
            tryVerify(function() { return named(data.line).visible && named(data.line).text === failure },
                      3000, "the page does not say why")
            verify(cloud.restartBroker())
            down = false
            tryCompare(tcpClient, "connectedmqtt", true, 8000)
            tryVerify(function() { return named(data.line).text !== failure }, 3000)
        } finally {
            if (down)
                cloud.restartBroker()
        }
    }
}
