import QtQuick
import QtTest

// The cloud event log: port data and error reports from the broker, the
// 500-piece rule, and the log emptied on leaving.
LogPageCase {
    name: "LogMqtt"

    readonly property string placeholder: "Event logs will appear here"

    function init() {
        openCloud()
        tcpClient.clearmterminalLogFromMqtt()
        loadPage("qrc:/LogMqtt.qml")
    }

    function cleanup() {
        window = null
        page = null
        tcpClient.clearmterminalLogFromMqtt()
    }

    function pieces() { return tcpClient.terminalLogFromMqtt.split("\n").length }

    function test_anEmptyLogShowsThePlaceholder() {
        expectShown(logView(), "", placeholder)
    }

    function test_showsWhatTheGatewayReports_data() {
        return [
            { tag: "port 1 data", send: function(t) { cloud.publishPortData(1, t) },
              topic: "pub/port1", text: "{\"temp\":21.5}" },
            { tag: "port 2 data", send: function(t) { cloud.publishPortData(2, t) },
              topic: "pub/port2", text: "meter B 0x0102" },
            { tag: "an error report", send: function(t) { cloud.publishError(t) },
              topic: "errors", text: "RS485 timeout on port1" },
            { tag: "markup stays text", send: function(t) { cloud.publishError(t) },
              topic: "errors", text: "<b>bold</b> &amp; <img src=\"x\">" }
        ]
    }

    function test_showsWhatTheGatewayReports(data) {
        data.send(data.text)
        var line = "[" + topic(data.topic) + "] " + data.text + "\n"
        tryCompare(tcpClient, "terminalLogFromMqtt", line, 5000)
        expectShown(logView(), line, placeholder)
    }

    function test_theArrivalThatMakes500PiecesEmptiesTheLog_data() {
        return [
            { tag: "499 pieces stay", lineFeeds: 497, extra: 0, left: 499 },
            { tag: "the next message empties it", lineFeeds: 497, extra: 1, left: 1 },
            { tag: "one message far over the limit", lineFeeds: 800, extra: 0, left: 1 },
            { tag: "messages after emptying start afresh", lineFeeds: 497, extra: 2, left: 2 }
        ]
    }

    function test_theArrivalThatMakes500PiecesEmptiesTheLog(data) {
        // One message of many lines: its own line feeds and the one the
        // backend ends it with all count.
        var body = "first"
        for (var i = 0; i < data.lineFeeds; ++i)
            body += "\nline " + i
        var changes = 0
        var watch = function() { ++changes }
        tcpClient.terminalLogFromMqttChanged.connect(watch)
        cloud.publishPortData(1, body)
        if (data.left === 1 && data.extra === 0) {
            // Arrived and emptied at once: the log never stays over the limit.
            tryVerify(function() { return changes >= 2 }, 5000, "changes: " + changes)
        } else {
            tryVerify(function() { return pieces() === data.lineFeeds + 2 }, 5000,
                      "got " + pieces() + " pieces")
        }
        for (var n = 0; n < data.extra; ++n) {
            var before = tcpClient.terminalLogFromMqtt
            cloud.publishError("extra " + n)
            tryVerify(function() { return tcpClient.terminalLogFromMqtt !== before }, 5000)
        }
        tcpClient.terminalLogFromMqttChanged.disconnect(watch)
        compare(pieces(), data.left)
        if (data.left === 1)
            compare(tcpClient.terminalLogFromMqtt, "")
        expectShown(logView(), tcpClient.terminalLogFromMqtt, placeholder)
    }

    function test_clearAllEmptiesTheLogAtOnce() {
        cloud.publishError("one")
        cloud.publishPortData(1, "two")
        tryVerify(function() { return pieces() === 3 }, 5000)
        click("clearLogButton")
        compare(tcpClient.terminalLogFromMqtt, "")
        expectShown(logView(), "", placeholder)
    }

    function test_leavingEmptiesTheLogAndComingBackShowsOnlyWhatCameAfter() {
        cloud.publishError("before leaving")
        tryVerify(function() { return pieces() === 2 }, 5000)
        loadPage("qrc:/NetworkMqtt.qml")
        compare(tcpClient.terminalLogFromMqtt, "")
        cloud.publishPortData(2, "while away")
        var line = "[" + topic("pub/port2") + "] while away\n"
        tryCompare(tcpClient, "terminalLogFromMqtt", line, 5000)
        loadPage("qrc:/LogMqtt.qml")
        expectShown(logView(), line, placeholder)
    }

    function test_aLogOverTheLimitGatheredWhileAwayIsEmptiedOnOpening() {
        loadPage("qrc:/NetworkMqtt.qml")
        var body = "first"
        for (var i = 0; i < 600; ++i)
            body += "\nline " + i
        cloud.publishPortData(1, body)
        tryVerify(function() { return pieces() === 602 }, 5000)
        loadPage("qrc:/LogMqtt.qml")
        compare(tcpClient.terminalLogFromMqtt, "")
        expectShown(logView(), "", placeholder)
    }

    function test_aLongLogStaysResponsive() {
        // 400 messages, one by one: each is appended, not the whole text
        // laid out again.
        var started = Date.now()
        for (var i = 0; i < 400; ++i)
            tcpClient.emitLogFromMqtt("reading " + i + " " + "x".repeat(60), topic("pub/port1"))
        var took = Date.now() - started
        verify(took < 4000, "400 lines took " + took + " ms")
        expectShown(logView(), tcpClient.terminalLogFromMqtt, placeholder)
        expectAtEnd(logView())
    }
}
