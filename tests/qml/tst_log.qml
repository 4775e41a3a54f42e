import QtQuick
import QtTest

// The two event log pages: the direct one on the simulator's RS-485 monitor
// stream over its own link to 8880, the cloud one on the gateway's port and
// error topics through the broker.
PageCase {
    name: "Log"

    readonly property string placeholder: "Event logs will appear here"
    readonly property var direct: ({ direct: true })
    readonly property var viaCloud: ({ direct: false })

    // The direct page drops the link it finds (`before`) for a monitor link.
    function open(data, before) {
        if (!data.direct)
            return openCloud("qrc:/LogMqtt.qml")
        openDirect("qrc:/Log.qml", before)
        tryCompare(tcpClient, "currentPort", 8880)
        tryVerify(function() { return gateway.connectionCount(1) === 1 && gateway.connectionCount(0) === 0 },
                  3000, "no monitor link of its own")
    }

    function held(data) { return data.direct ? tcpClient.terminalLog : tcpClient.terminalLogFromMqtt }

    // Sends `body` (lines without the last line feed) as the gateway does and
    // returns the log text it makes: one monitor line each, or one message.
    function send(data, body) {
        if (data.direct) {
            gateway.sendRaw(1, body + "\n")
            return body + "\n"
        }
        cloud.publishPortData(1, body)
        return "[" + topic("pub/port1") + "] " + body + "\n"
    }

    function expectHeld(data, text) {
        tryVerify(function() { return held(data) === text }, 5000, "log holds " + JSON.stringify(held(data).slice(-80)))
        expectShown(named("logView"), text, placeholder)
    }

    function test_emptiesTheLogAt500PiecesShowsPlainTextAndClearsAll_data() {
        return [ { tag: "Log", direct: true }, { tag: "LogMqtt", direct: false } ]
    }

    function test_emptiesTheLogAt500PiecesShowsPlainTextAndClearsAll(data) {
        open(data)
        expectShown(named("logView"), "", placeholder)
        var body = []
        for (var i = 1; i <= 498; ++i)
            body.push("<b>line " + i + "</b> &amp; <img src=\"x\">")
        // 498 lines make 499 pieces: they stay.
        expectHeld(data, send(data, body.join("\n")))
        // The next line makes 500: the log is emptied entirely.
        send(data, "one more")
        expectHeld(data, "")
        expectHeld(data, send(data, "<i>afresh</i>"))
        click("clearLogButton")
        expectHeld(data, "")
        if (data.direct)
            compare(tcpClient.currentPort, 8880) // the monitor link stays
    }

    function test_followsTheNewestLineUnlessScrolledUp() {
        open(viaCloud)
        var view = named("logView")
        var list = view.listView
        for (var i = 0; i < 200; ++i)
            tcpClient.emitLogFromMqtt("reading " + i, topic("pub/port1"))
        expectShown(view, tcpClient.terminalLogFromMqtt, placeholder)
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
        expectShown(view, tcpClient.terminalLogFromMqtt, placeholder)
    }

    function test_opensItsOwnMonitorLink_data() {
        return [ { tag: "with no link yet", before: 0 }, { tag: "after a settings page's 8881 link", before: 8881 },
                 { tag: "already on 8880", before: 8880 } ]
    }

    function test_opensItsOwnMonitorLink(data) {
        open(direct, data.before)
    }

    function test_noLinkWithoutAChosenAddress() {
        address = gateway.start()
        openWindow()
        window.currentdeviceIP = address
        load("qrc:/Log.qml")
        wait(300)
        compare([tcpClient.connected, gateway.connectionCount(1)], [false, 0])
    }

    function test_leavingDropsTheMonitorLinkAndItsLogAndComingBackReconnects() {
        open(direct)
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

    function test_cloudLogLeftEmptiedAndWhatCameWhileAwayShownOnReturn_data() {
        return [ { tag: "a few messages", messages: 3, shown: true },
                 { tag: "more than 500 pieces are emptied on opening", messages: 600, shown: false } ]
    }

    function test_cloudLogLeftEmptiedAndWhatCameWhileAwayShownOnReturn(data) {
        open(viaCloud)
        expectHeld(viaCloud, send(viaCloud, "before leaving"))
        load("qrc:/NetworkMqtt.qml")
        compare(tcpClient.terminalLogFromMqtt, "")
        var expected = ""
        for (var i = 0; i < data.messages; ++i) {
            tcpClient.emitLogFromMqtt("away " + i, topic("pub/port2"))
            expected += "[" + topic("pub/port2") + "] away " + i + "\n"
        }
        expected += send(viaCloud, "last")
        tryCompare(tcpClient, "terminalLogFromMqtt", expected, 5000)
        load("qrc:/LogMqtt.qml")
        expectHeld(viaCloud, data.shown ? expected : "")
    }
}
