import QtQuick
import QtTest

// The cloud network log: the gateway's network reports, kept across page
// changes without a line limit and emptied only by "Clear All".
PageCase {
    name: "NetworkMqtt"

    readonly property string placeholder: "Network logs will appear here"

    function init() {
        openCloud("qrc:/NetworkMqtt.qml")
    }

    function line(text) { return "[" + topic("network") + "] " + text + "\n" }

    function test_reportsReplaceThePlaceholderUntilClearAll_data() {
        return [
            { tag: "signal report", text: "LTE RSSI -71 dBm, registered" },
            { tag: "markup stays text", text: "<font color=\"red\">lost</font> &lt;" },
            { tag: "several lines", text: "APN internet\nIP 10.64.0.7" }
        ]
    }

    function test_reportsReplaceThePlaceholderUntilClearAll(data) {
        expectShown(named("logView"), "", placeholder)
        cloud.publishNetworkReport(data.text)
        tryCompare(tcpClient, "networkLogFromMqtt", line(data.text), 5000)
        expectShown(named("logView"), line(data.text), placeholder)
        click("clearLogButton")
        compare(tcpClient.networkLogFromMqtt, "")
        expectShown(named("logView"), "", placeholder)
    }

    // 600 reports gathered while another page is shown, past the 500 lines
    // at which the event log empties its own.
    function test_comingBackShowsAllThatWasGatheredScrolledToTheEnd() {
        load("qrc:/LogMqtt.qml")
        var expected = ""
        for (var i = 0; i < 600; ++i) {
            tcpClient.emitnetworkLogFromMqtt("report " + i, topic("network"))
            expected += line("report " + i)
        }
        cloud.publishNetworkReport("last")
        expected += line("last")
        tryCompare(tcpClient, "networkLogFromMqtt", expected, 5000)
        load("qrc:/NetworkMqtt.qml")
        expectShown(named("logView"), expected, placeholder)
    }
}
