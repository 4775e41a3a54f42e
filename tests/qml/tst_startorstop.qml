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

    // Each action's command, then the gateway's confirmation or (`silent`)
    // the 5 s guard, and the box closed 2 s after the outcome. The overlay
    // catches no clicks: a second action goes through, its guard counts from
    // the second click, and the earlier close delay is stopped.
    function test_actionConfirmedByTheGateway_data() {
        var stop = { action: "stop", command: "config:rs485/stop", waiting: "Stopping..." }
        return [
            { tag: "start", action: "start", command: "config:rs485/start", waiting: "Starting...", shown: "✔ Data Started" },
            Object.assign({ tag: "stop", shown: "Data Stopped" }, stop),
            { tag: "restart", action: "restart", command: "gateway:restart", waiting: "Restarting...", shown: "Device Restarting" },
            Object.assign({ tag: "no answer", silent: true, shown: "⚠ Try again later" }, stop),
            Object.assign({ tag: "no answer to a second action", first: "start", silent: true, shown: "⚠ Try again later" }, stop)
        ]
    }

    function test_actionConfirmedByTheGateway(data) {
        if (data.first) {
            act(data.first)
            expectBox("✔ Data Started", false)
        }
        if (data.silent)
            silenceGateway()
        t0 = Date.now()
        act(data.action)
        // Before any answer can have come back.
        compare([page.busyMessage, page.busyRunning, page.busyVisible, page.timeoutTimer.running, page.closeTimer.running],
                [data.waiting, true, true, true, false])
        compare(seenOn(topic("config"), data.first ? 2 : 1).slice(-1), [data.command])
        expectBox(data.shown, false)
        var outcomeAt = Date.now()
        if (data.silent)
            verify(outcomeAt - t0 >= 4900 && outcomeAt - t0 < 6000, "timed out after " + (outcomeAt - t0) + " ms")
        else
            compare(cloud.cloudCommands(), [data.command])
        verify(!page.timeoutTimer.running)
        var closed = hiddenAfter(outcomeAt)
        verify(closed >= 1800 && closed < 2600, "closed " + closed + " ms after the outcome")
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
