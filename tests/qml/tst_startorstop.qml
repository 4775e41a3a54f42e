import QtQuick
import QtTest

// The start/stop page against a real broker and the simulated gateway: each
// action's command and confirmation, the restart question, the 5 s guard,
// the 2 s close, and a new action that keeps its box up.
CloudCommandCase {
    name: "StartOrStop"

    readonly property string responseTopic: "Kestrelvane/KV-0001/response"

    function init() {
        openPage("qrc:/StartOrStop.qml", "Device - Start/Stop")
    }

    function overlay() { return named("statusOverlay") }

    function expectBox(message, colour, running) {
        tryCompare(page, "busyMessage", message, 7000)
        compare(named("statusMessage").text, message)
        compare(String(page.busyColor), String(Qt.color(colour)))
        compare(page.busyRunning, running)
        compare(named("statusIndicator").visible, running)
        verify(overlay().visible, "status box hidden")
    }

    // Starts the action as the operator would; the restart through its
    // confirmation.
    function act(action) {
        if (action === "restart") {
            click("restartCard")
            tryCompare(named("rebootPopup"), "opened", true)
            wait(100)
            mouseClick(named("rebootYes"))
        } else {
            click(action + "Card")
        }
    }

    // Milliseconds until the box is hidden, counted from `since`.
    function hiddenAfter(since, timeout) {
        tryCompare(overlay(), "visible", false, timeout)
        return Date.now() - since
    }

    function actionRows() {
        return [
            { tag: "start", command: "config:rs485/start", waiting: "Starting...",
              confirmed: "✔ Data Started", colour: "#4CAF50" },
            { tag: "stop", command: "config:rs485/stop", waiting: "Stopping...",
              confirmed: "Data Stopped", colour: "#F39C12" },
            { tag: "restart", command: "gateway:restart", waiting: "Restarting...",
              confirmed: "Device Restarting", colour: "#42A5F5" }
        ]
    }

    function test_actionConfirmedByTheGateway_data() { return actionRows() }

    function test_actionConfirmedByTheGateway(data) {
        verify(!overlay().visible)
        act(data.tag)
        // Before any answer can have come back.
        compare(page.busyMessage, data.waiting)
        compare(String(page.busyColor), String(Qt.color("white")))
        verify(page.busyRunning)
        verify(page.busyVisible)
        verify(page.timeoutTimer.running)
        compare(seenOn(configTopic, 1), [data.command])
        expectBox(data.confirmed, data.colour, false)
        var confirmedAt = Date.now()
        verify(!page.timeoutTimer.running)
        compare(cloud.gatewayCommands(), [data.command])
        var closed = hiddenAfter(confirmedAt, 3000)
        verify(closed >= 1800 && closed < 2600, "closed " + closed + " ms after the outcome")
        verify(!named("rebootPopup").opened)
    }

    function test_noAnswerTimesOut_data() { return actionRows() }

    function test_noAnswerTimesOut(data) {
        silenceGateway()
        var t0 = Date.now()
        act(data.tag)
        compare(seenOn(configTopic, 1), [data.command])
        wait(4500)
        expectBox(data.waiting, "white", true)
        expectBox("⚠ Try again later", "#EF5350", false)
        var timedOut = Date.now()
        verify(timedOut - t0 >= 4900 && timedOut - t0 < 6000,
               "timed out after " + (timedOut - t0) + " ms")
        var closed = hiddenAfter(timedOut, 3000)
        verify(closed >= 1800 && closed < 2600, "closed " + closed + " ms after the time-out")
        // Nothing is sent again.
        compare(cloud.messages(configTopic), [data.command])
    }

    function test_restartNeedsConfirmation() {
        click("restartCard")
        var popup = named("rebootPopup")
        tryCompare(popup, "opened", true)
        verify(!page.busyVisible)
        wait(100)
        mouseClick(named("rebootNo"))
        tryCompare(popup, "opened", false)
        wait(800)
        compare(cloud.messages(configTopic), [])
        verify(!page.busyVisible)
        verify(!page.timeoutTimer.running)
    }

    // The overlay catches no clicks: a second action goes through and its
    // guard counts from the second click.
    function test_secondActionRestartsTheGuard() {
        silenceGateway()
        var t0 = Date.now()
        act("start")
        seenOn(configTopic, 1)
        wait(3000)
        act("stop")
        var second = Date.now()
        compare(seenOn(configTopic, 2), ["config:rs485/start", "config:rs485/stop"])
        expectBox("Stopping...", "white", true)
        wait(2500)
        expectBox("Stopping...", "white", true)
        expectBox("⚠ Try again later", "#EF5350", false)
        var elapsed = Date.now() - second
        verify(elapsed >= 4900 && elapsed < 6000, "guard fired " + elapsed + " ms after the second click")
    }

    function test_statusReplacesTheTimeoutText() {
        silenceGateway()
        act("start")
        expectBox("⚠ Try again later", "#EF5350", false)
        wait(1000)
        cloud.publish(responseTopic, "OK:RS485/start")
        expectBox("✔ Data Started", "#4CAF50", false)
        var arrived = Date.now()
        var closed = hiddenAfter(arrived, 3000)
        verify(closed >= 1700 && closed < 2600, "closed " + closed + " ms after the late status")
    }

    // The page takes any of the three words as it comes, whatever it sent.
    function test_anyConfirmationShowsItsOwnText() {
        silenceGateway()
        act("start")
        seenOn(configTopic, 1)
        cloud.publish(responseTopic, "OK:RS485/stop")
        expectBox("Data Stopped", "#F39C12", false)
    }

    function test_unknownStatusKeepsTheWaitingText() {
        silenceGateway()
        act("stop")
        seenOn(configTopic, 1)
        tcpClient.sendStrtStopStatus("paused")
        compare(page.busyRunning, false)
        verify(!page.timeoutTimer.running)
        expectBox("Stopping...", "white", false)
        var closed = hiddenAfter(Date.now(), 3000)
        verify(closed >= 1700, "closed after " + closed + " ms")
        compare(page.busyMessage, "Stopping...")
    }

    function test_statusWhileHiddenShowsNothing() {
        verify(!page.busyVisible)
        cloud.publish(responseTopic, "OK:RS485/stop")
        tryCompare(page, "busyMessage", "Data Stopped", 5000)
        verify(!overlay().visible)
        wait(2500)
        verify(!overlay().visible)
    }

    // An action less than 2 s after an earlier outcome keeps its box until
    // its own outcome, and then shows that outcome for the full 2 s.
    function test_newActionStopsTheEarlierCloseDelay() {
        act("start")
        expectBox("✔ Data Started", "#4CAF50", false)
        var firstOutcome = Date.now()
        silenceGateway()
        act("stop")
        var stopAt = Date.now()
        verify(stopAt - firstOutcome < 2000, "too slow to act within the close delay")
        verify(!page.closeTimer.running)
        // Past the moment the earlier delay would have hidden the box.
        wait(Math.max(0, firstOutcome + 2600 - Date.now()))
        expectBox("Stopping...", "white", true)
        expectBox("⚠ Try again later", "#EF5350", false)
        var timedOut = Date.now()
        verify(timedOut - stopAt >= 4900, "timed out " + (timedOut - stopAt) + " ms after STOP")
        wait(1500)
        expectBox("⚠ Try again later", "#EF5350", false)
        var closed = hiddenAfter(timedOut, 2000)
        verify(closed >= 1800, "closed " + closed + " ms after its own outcome")
    }
}
