import QtQuick
import QtTest

// The cloud network log: the gateway's network reports, kept across page
// changes and emptied only by "Clear All" (and the pages that own that).
LogPageCase {
    name: "NetworkMqtt"

    readonly property string placeholder: "Network logs will appear here"

    function init() {
        openCloud()
        tcpClient.clearnetworkLogFromMqtt()
        loadPage("qrc:/NetworkMqtt.qml")
    }

    function cleanup() {
        window = null
        page = null
        tcpClient.clearnetworkLogFromMqtt()
    }

    function line(text) { return "[" + topic("network") + "] " + text + "\n" }

    function test_theFirstReportReplacesThePlaceholder_data() {
        return [
            { tag: "signal report", text: "LTE RSSI -71 dBm, registered" },
            { tag: "markup stays text", text: "<font color=\"red\">lost</font> &lt;" },
            { tag: "several lines", text: "APN internet\nIP 10.64.0.7" }
        ]
    }

    function test_theFirstReportReplacesThePlaceholder(data) {
        var view = logView()
        expectShown(view, "", placeholder)
        cloud.publishNetworkReport(data.text)
        tryCompare(tcpClient, "networkLogFromMqtt", line(data.text), 5000)
        expectShown(view, line(data.text), placeholder)
    }

    function test_portDataAndErrorsStayOut() {
        cloud.publishPortData(1, "reading")
        cloud.publishError("fault")
        cloud.publishNetworkReport("online")
        tryCompare(tcpClient, "networkLogFromMqtt", line("online"), 5000)
        wait(200)
        compare(tcpClient.networkLogFromMqtt, line("online"))
    }

    function test_clearAllBringsBackThePlaceholderAtOnce() {
        cloud.publishNetworkReport("one")
        tryCompare(tcpClient, "networkLogFromMqtt", line("one"), 5000)
        click("clearLogButton")
        compare(tcpClient.networkLogFromMqtt, "")
        expectShown(logView(), "", placeholder)
    }

    function test_comingBackShowsWhatWasGatheredScrolledToTheEnd() {
        cloud.publishNetworkReport("before")
        tryCompare(tcpClient, "networkLogFromMqtt", line("before"), 5000)
        loadPage("qrc:/LogMqtt.qml")
        var expected = line("before")
        for (var i = 0; i < 80; ++i) {
            tcpClient.emitnetworkLogFromMqtt("report " + i, topic("network"))
            expected += line("report " + i)
        }
        cloud.publishNetworkReport("last")
        expected += line("last")
        tryCompare(tcpClient, "networkLogFromMqtt", expected, 5000)
        loadPage("qrc:/NetworkMqtt.qml")
        var view = logView()
        expectShown(view, expected, placeholder)
        expectAtEnd(view)
    }

    function test_hasNoLineLimit() {
        var expected = ""
        for (var i = 0; i < 600; ++i) {
            tcpClient.emitnetworkLogFromMqtt("report " + i, topic("network"))
            expected += line("report " + i)
        }
        compare(tcpClient.networkLogFromMqtt, expected)
        expectShown(logView(), expected, placeholder)
    }
}
