import QtQuick
import QtTest

// The log pages (the direct event log over a monitor link of its own, the
// cloud event and network logs through the broker) and the tools above them.
PageCase {
    name: "Log"

    // The event logs (`limit`) are emptied at 500 pieces and on leaving.
    readonly property string events: "Event logs will appear here"
    readonly property var direct: ({ url: "qrc:/Log.qml", held: "terminalLog", hint: events, limit: true })
    readonly property var viaCloud: ({ url: "qrc:/LogMqtt.qml", held: "terminalLogFromMqtt", hint: events, limit: true,
                                       suffix: "pub/port1", emit: "emitLogFromMqtt" })
    readonly property var network: ({ url: "qrc:/NetworkMqtt.qml", held: "networkLogFromMqtt", suffix: "network",
                                      hint: "Network logs will appear here", emit: "emitnetworkLogFromMqtt" })

    // The direct page drops the link it finds (`before`; each case leaves
    // another) for a monitor link of its own.
    function open(log, before) {
        if (log.suffix)
            return openCloud(log.url)
        openDirect(log.url, before)
        tryCompare(tcpClient, "currentPort", 8880)
        tryVerify(function() { return gateway.connectionCount(1) === 1 && gateway.connectionCount(0) === 0 },
                  3000, "no monitor link of its own")
    }

    function held(log) { return tcpClient[log.held] }
    function line(log, text) { return "[" + topic(log.suffix) + "] " + text + "\n" }

    // Sends `body` (lines without the last line feed) as the gateway does and
    // returns the log text it makes: one monitor line each, or one message.
    function send(log, body) {
        if (!log.suffix) {
            gateway.sendRaw(1, body + "\n")
            return body + "\n"
        }
        cloud.publish(topic(log.suffix), body)
        return line(log, body)
    }

    function expectHeld(log, text) {
        tryVerify(function() { return held(log) === text }, 5000, "log holds " + JSON.stringify(held(log).slice(-80)))
        expectShown(named("logView"), text, log.hint)
    }

    function test_emptiesTheLogAt500PiecesShowsPlainTextAndClearsAll_data() {
        return [ { tag: "Log", log: direct }, { tag: "LogMqtt", log: viaCloud }, { tag: "NetworkMqtt", log: network } ]
    }

    function test_emptiesTheLogAt500PiecesShowsPlainTextAndClearsAll(data) {
        open(data.log, 8881)
        expectShown(named("logView"), "", data.log.hint)
        var body = []
        for (var i = 1; i <= 498; ++i)
            body.push("<b>line " + i + "</b> &amp; <img src=\"x\">")
        // 498 lines make 499 pieces: they stay.
        var all = send(data.log, body.join("\n"))
        expectHeld(data.log, all)
        all += send(data.log, "one more")
        expectHeld(data.log, data.log.limit ? "" : all)
        all = (data.log.limit ? "" : all) + send(data.log, "<i>afresh</i>")
        expectHeld(data.log, all)
        click("clearLogButton")
        expectHeld(data.log, "")
        if (data.log === direct)
            compare(tcpClient.currentPort, 8880) // the monitor link stays
    }

    function test_followsTheNewestLineUnlessScrolledUp() {
        open(viaCloud)
        var view = named("logView")
        var list = view.listView
        for (var i = 0; i < 200; ++i)
            tcpClient.emitLogFromMqtt("reading " + i, topic("pub/port1"))
        expectShown(view, tcpClient.terminalLogFromMqtt, events)
        mouseWheel(list, list.width / 2, list.height / 2, 0, 1200)
        tryVerify(function() { return !list.moving })
        compare([view.following, list.atYEnd], [false, false])
        var topLine = function() { return list.indexAt(10, list.contentY + 10) }
        var reading = topLine()
        tcpClient.emitLogFromMqtt("while reading", topic("pub/port1"))
        tryCompare(list, "count", 201)
        compare(topLine(), reading)
        for (var k = 0; k < 50 && !list.atYEnd; ++k) {
            mouseWheel(list, list.width / 2, list.height / 2, 0, -1200)
            tryVerify(function() { return !list.moving })
        }
        tryCompare(view, "following", true)
        tcpClient.emitLogFromMqtt("newest", topic("pub/port1"))
        expectShown(view, tcpClient.terminalLogFromMqtt, events)
    }

    function test_noLinkWithoutAChosenAddress() {
        openDirect(direct.url, 0, function() { window.ipSelected = false })
        wait(300)
        compare([tcpClient.connected, gateway.connectionCount(1)], [false, 0])
    }

    function test_leavingDropsTheMonitorLinkAndItsLogAndComingBackReconnects() {
        open(direct, 8880)
        expectHeld(direct, send(direct, "kept until leaving"))
        load("qrc:/NetworkPage.qml")
        compare(tcpClient.terminalLog, "")
        tryCompare(tcpClient, "currentPort", 8881)
        tryVerify(function() { return gateway.connectionCount(1) === 0 && gateway.connectionCount(0) === 1 }, 3000)
        load("qrc:/Log.qml")
        tryCompare(tcpClient, "currentPort", 8880)
        tryVerify(function() { return gateway.connectionCount(1) === 1 }, 3000)
        expectHeld(direct, send(direct, "after coming back"))
    }

    // The cloud event log is emptied on leaving and the network log is not;
    // both gather while another page is shown.
    function test_whatCameWhileAwayIsShownOnReturn_data() {
        return [ { tag: "a few messages", log: viaCloud, messages: 3, shown: true },
                 { tag: "more than 500 pieces are emptied on opening", log: viaCloud, messages: 600, shown: false },
                 { tag: "network log, 600 reports", log: network, messages: 600, shown: true } ]
    }

    function test_whatCameWhileAwayIsShownOnReturn(data) {
        open(data.log)
        var expected = send(data.log, "before leaving")
        expectHeld(data.log, expected)
        load(data.log === network ? viaCloud.url : network.url)
        if (data.log.limit)
            expected = ""
        compare(held(data.log), expected)
        for (var i = 0; i < data.messages; ++i) {
            tcpClient[data.log.emit]("away " + i, topic(data.log.suffix))
            expected += line(data.log, "away " + i)
        }
        expected += send(data.log, "last")
        tryCompare(tcpClient, data.log.held, expected, 5000)
        load(data.log.url)
        expectHeld(data.log, data.shown ? expected : "")
    }

    // A pause holds the view while the log fills and is emptied by its limit.
    function test_filterTimeStampsAndPause() {
        failOnWarning(/./) // normal use prints nothing
        open(direct)
        gateway.sendRaw(1, "alpha 1\nbeta 2\n")
        expectShown(named("logView"), "alpha 1\nbeta 2", events)
        type("logFilter", "BETA")
        expectShown(named("logView"), "beta 2", events)
        type("logFilter", "")
        expectShown(named("logView"), "alpha 1\nbeta 2", events)
        click("logTimeToggle")
        tryVerify(function() {
            var row = named("logView").listView.itemAtIndex(0)
            return row && /^\d\d:\d\d:\d\d\.\d\d\d  alpha 1$/.test(row.text)
        }, 2000, "no time stamp before the line")
        click("logTimeToggle")
        // A followed log shows plain rows; paused, a row can be selected.
        var list = named("logView").listView
        verify(!list.itemAtIndex(0).selectable)
        click("logPause")
        tryVerify(function() { return list.itemAtIndex(0).selectable })
        var editor = findChild(list.itemAtIndex(0), "selectableRow").item
        mouseDrag(editor, 1, editor.height / 2, editor.width - 2, 0)
        compare(editor.selectedText, "alpha 1")
        gateway.sendRaw(1, "gamma 3\ndelta 4\n")
        tryCompare(named("logPausedCount"), "text", "2")
        verify(named("logPausedBadge").visible)
        tcpClient.clearTerminalLog()
        gateway.sendRaw(1, "epsilon 5\n")
        tryCompare(named("logPausedCount"), "text", "3")
        expectShown(named("logView"), "alpha 1\nbeta 2", events)
        click("logPause")
        verify(!named("logPausedBadge").visible)
        expectShown(named("logView"), "epsilon 5", events)
        // Rows of an emptied log wait for reuse with no line behind them.
        tcpClient.clearTerminalLog()
        tryCompare(named("logView").listView, "count", 0)
        click("logTimeToggle")
    }
}
