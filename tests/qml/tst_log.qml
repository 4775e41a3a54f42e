import QtQuick
import QtTest

// The direct-mode log page on the simulator's RS-485 monitor stream: its own
// connection to 8880, the 500-piece rule and the clearing rules.
LogPageCase {
    name: "Log"

    property string address

    function openLog(connectFirstOn, monitorRate) {
        address = gateway.start()
        verify(address.length > 0)
        gateway.setMonitorRate(monitorRate === undefined ? -1 : monitorRate)
        if (connectFirstOn) {
            tcpClient.connectToDevice(address, connectFirstOn)
            tryCompare(tcpClient, "connected", true)
        }
        openWindow()
        window.currentdeviceIP = address
        window.ipSelected = true
        loadPage("qrc:/Log.qml")
        tryCompare(tcpClient, "connected", true)
        tryCompare(tcpClient, "currentPort", 8880)
        tryVerify(function() { return gateway.connectionCount(1) === 1 }, 3000, "no monitor link")
    }

    function monitorLinks() { return gateway.connectionCount(1) }

    function cleanup() {
        window = null
        page = null
        tcpClient.disconnectFromDevice()
        tcpClient.clearTerminalLog()
        gateway.stop()
    }

    function test_opensItsOwnMonitorLink_data() {
        return [
            { tag: "with no link yet", before: 0 },
            { tag: "after a settings page's 8881 link", before: 8881 },
            { tag: "already on 8880", before: 8880 }
        ]
    }

    function test_opensItsOwnMonitorLink(data) {
        openLog(data.before)
        tryVerify(function() { return monitorLinks() === 1 }, 3000)
        tryVerify(function() { return gateway.connectionCount(0) === 0 }, 3000,
                  "the command link was not dropped")
    }

    function test_connectsOnlyWithAChosenAddress() {
        address = gateway.start()
        openWindow()
        window.currentdeviceIP = address
        loadPage("qrc:/Log.qml")
        wait(300)
        compare(tcpClient.connected, false)
        compare(monitorLinks(), 0)
    }

    function test_showsTheMonitorStreamAsItGrows() {
        openLog(0, 40)
        var view = logView()
        tryVerify(function() { return lineCount(tcpClient.terminalLog) >= 6 }, 5000)
        compare(view.shownText, tcpClient.terminalLog)
        compare(view.textArea.cursorPosition, view.textArea.length)
        expectAtEnd(view)
    }

    // Counts complete lines.
    function lineCount(text) { return text.split("\n").length - 1 }

    function test_showsMarkupFromTheGatewayAsText() {
        openLog(0)
        var text = "<b>[RS485] DATA 'Meter <i>A</i>'</b>\n"
        gateway.sendRaw(1, text)
        tryCompare(tcpClient, "terminalLog", text)
        expectShown(logView(), text, "Event logs will appear here")
    }

    function test_emptiesTheLogWhenItReaches500Pieces_data() {
        return [
            { tag: "498 lines stay", first: 498, then: 0, left: 498 },
            { tag: "the 499th line empties it", first: 498, then: 1, left: 0 },
            { tag: "lines after emptying start afresh", first: 498, then: 3, left: 2 }
        ]
    }

    function test_emptiesTheLogWhenItReaches500Pieces(data) {
        openLog(0)
        var view = logView()
        gateway.sendRaw(1, lines(data.first))
        tryVerify(function() { return lineCount(tcpClient.terminalLog) === data.first }, 5000,
                  "got " + lineCount(tcpClient.terminalLog) + " lines")
        expectShown(view, lines(data.first), "Event logs will appear here")
        for (var i = 0; i < data.then; ++i) {
            var before = lineCount(tcpClient.terminalLog)
            gateway.sendRaw(1, "more " + i + "\n")
            tryVerify(function() { return lineCount(tcpClient.terminalLog) !== before }, 3000)
        }
        compare(lineCount(tcpClient.terminalLog), data.left)
        expectShown(view, tcpClient.terminalLog, "Event logs will appear here")
    }

    function test_clearAll_data() {
        return [
            { tag: "with lines", text: "one\ntwo\n" },
            { tag: "already empty", text: "" }
        ]
    }

    function test_clearAll(data) {
        openLog(0)
        if (data.text.length > 0) {
            gateway.sendRaw(1, data.text)
            tryCompare(tcpClient, "terminalLog", data.text)
        }
        click("clearLogButton")
        compare(tcpClient.terminalLog, "")
        expectShown(logView(), "", "Event logs will appear here")
        // The monitor link stays.
        compare(tcpClient.currentPort, 8880)
    }

    function test_leavingDropsTheMonitorLinkAndItsLog() {
        openLog(0)
        gateway.sendRaw(1, "kept until leaving\n")
        tryCompare(tcpClient, "terminalLog", "kept until leaving\n")
        loadPage("qrc:/NetworkPage.qml")
        compare(tcpClient.terminalLog, "")
        tryCompare(tcpClient, "currentPort", 8881)
        tryVerify(function() { return monitorLinks() === 0 }, 3000)
        tryVerify(function() { return gateway.connectionCount(0) === 1 }, 3000)
    }

    function test_reenteringReconnects() {
        openLog(0)
        loadPage("qrc:/NetworkPage.qml")
        tryCompare(tcpClient, "currentPort", 8881)
        loadPage("qrc:/Log.qml")
        tryCompare(tcpClient, "currentPort", 8880)
        tryVerify(function() { return monitorLinks() === 1 }, 3000)
        gateway.sendRaw(1, "after coming back\n")
        tryCompare(tcpClient, "terminalLog", "after coming back\n")
        expectShown(logView(), "after coming back\n", "Event logs will appear here")
    }

    function test_aRefusedLinkLeavesThePlaceholder() {
        address = gateway.start()
        gateway.stop()
        openWindow()
        window.currentdeviceIP = address
        window.ipSelected = true
        loadPage("qrc:/Log.qml")
        tryVerify(function() { return tcpClient.log.indexOf("ERROR: ") >= 0 }, 5000)
        compare(tcpClient.connected, false)
        expectShown(logView(), "", "Event logs will appear here")
    }
}
