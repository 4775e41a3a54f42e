import QtQuick
import QtTest

// The AT terminal on the simulator's modem console (port 23): its link while
// shown, which buttons need that link, and what each button sends.
LogPageCase {
    name: "ATCommandPage"

    property string address

    SignalSpy { id: clickSpy; signalName: "clicked" }

    // Opens the page, after leaving the link on `before` (0: none). With
    // `read`, the gateway's settings are read first, as a settings page does.
    function openTerminal(before, read) {
        address = gateway.start()
        verify(address.length > 0)
        gateway.setMonitorRate(-1)
        if (read) {
            tcpClient.connectToDevice(address, 8881)
            tryCompare(tcpClient, "connected", true)
            tcpClient.sendCommand("GETALL")
            tryVerify(function() { return tcpClient.dataMap["mqttTopicOut"] !== undefined }, 5000)
            if (before !== 8881)
                tcpClient.disconnectFromDevice()
        }
        if (before && !tcpClient.connected) {
            tcpClient.connectToDevice(address, before)
            tryCompare(tcpClient, "connected", true)
        }
        openWindow()
        window.currentdeviceIP = address
        loadPage("qrc:/ATCommandPage.qml")
        tryCompare(tcpClient, "connected", true, 5000)
        tryCompare(tcpClient, "currentPort", 23)
        tryVerify(function() { return gateway.connectionCount(2) === 1 }, 3000, "no console link")
        gateway.clearReceived()
    }

    // What reached the console, escaped on a mismatch so line ends show.
    function expectBytes(expected) {
        tryVerify(function() { return gateway.atBytes() === expected }, 3000,
                  "console got " + JSON.stringify(gateway.atBytes()) + ", expected "
                  + JSON.stringify(expected))
    }

    function cleanup() {
        window = null
        page = null
        tcpClient.disconnectFromDevice()
        tcpClient.clearatCmdLog()
        tcpClient.clearData()
        gateway.stop()
    }

    function test_opensTheConsoleLink_data() {
        return [
            { tag: "with no link yet", before: 0 },
            { tag: "dropping the command link", before: 8881 },
            { tag: "dropping the monitor link", before: 8880 },
            { tag: "already on the console", before: 23 }
        ]
    }

    function test_opensTheConsoleLink(data) {
        openTerminal(data.before)
        tryVerify(function() { return gateway.connectionCount(0) + gateway.connectionCount(1) === 0 },
                  3000, "the earlier link was not dropped")
        compare(page.showCommandView, false)
        verify(named("tcpViewTitle").visible)
        verify(!named("cloudViewTitle").visible)
    }

    function test_closingDropsOnlyItsOwnLink() {
        openTerminal(0)
        loadPage("qrc:/TcpClient.qml")
        tryCompare(tcpClient, "connected", false)
        tryVerify(function() { return gateway.connectionCount(2) === 0 }, 3000)

        // Replaced by someone else's link before closing: that link stays.
        loadPage("qrc:/ATCommandPage.qml")
        tryCompare(tcpClient, "currentPort", 23)
        tcpClient.disconnectFromDevice()
        tcpClient.connectToDevice(address, 8881)
        tryCompare(tcpClient, "currentPort", 8881)
        loadPage("qrc:/TcpClient.qml")
        wait(200)
        compare(tcpClient.connected, true)
        compare(tcpClient.currentPort, 8881)
    }

    function test_buttonsThatNeedTheLinkAreGreyAndIgnoreClicksWithoutIt_data() {
        return [
            { tag: "Disconnect", name: "disconnectButton", cloudView: false },
            { tag: "Connect", name: "connectButton", cloudView: true }
        ]
    }

    function test_buttonsThatNeedTheLinkAreGreyAndIgnoreClicksWithoutIt(data) {
        openTerminal(0)
        page.showCommandView = data.cloudView
        var button = named(data.name)
        verify(button.enabled)
        tcpClient.disconnectFromDevice()
        tryCompare(tcpClient, "connected", false)
        compare(button.enabled, false)
        compare(String(button.background.color), String(Qt.color("grey")))
        verify(!button.background.children[0].visible, "still drawn with the gradient")
        clickSpy.target = button
        clickSpy.clear()
        waitForRendering(window.contentItem, 250)
        mouseClick(button)
        compare(clickSpy.count, 0)
        gateway.clearReceived()
        wait(100)
        compare(gateway.atBytes(), "")
    }

    function test_sendToCloudShowsOnlyWithTheLink() {
        openTerminal(0)
        verify(named("sendToCloudButton").visible)
        tcpClient.disconnectFromDevice()
        tryCompare(named("sendToCloudButton"), "visible", false)
        verify(named("sendButton").enabled, "Send works without the link and reports it")
        verify(named("reconnectButton").enabled)
    }

    function test_sendWritesTheLineAndKeepsIt_data() {
        return [
            { tag: "plain AT", text: "AT", reply: "OK\n" },
            { tag: "signal query", text: "AT+CSQ", reply: "OK\n" }
        ]
    }

    function test_sendWritesTheLineAndKeepsIt(data) {
        openTerminal(0)
        named("commandField").text = data.text
        click("sendButton")
        expectBytes(data.text + "\r\n")
        compare(named("commandField").text, data.text)
        tryVerify(function() { return tcpClient.atLog.indexOf("OK") >= 0 }, 3000)
        expectShown(named("terminalLog"), tcpClient.atLog, "")
    }

    function test_modemAnswersAreShownAsText() {
        openTerminal(0)
        gateway.sendRaw(2, "<b>+QMTSTAT: 0,1</b>\n")
        tryVerify(function() { return tcpClient.atLog.indexOf("+QMTSTAT") >= 0 }, 3000)
        expectShown(named("terminalLog"), tcpClient.atLog, "")
        verify(named("terminalLog").shownText.indexOf("<b>") >= 0)
    }

    function test_clearLogDisconnectAndReconnect() {
        openTerminal(0)
        gateway.sendRaw(2, "RDY\n")
        tryVerify(function() { return tcpClient.atLog.length > 0 }, 3000)
        click("clearLogButton")
        compare(tcpClient.atLog, "")
        expectShown(named("terminalLog"), "", "")

        click("disconnectButton")
        tryCompare(tcpClient, "connected", false)
        tryVerify(function() { return gateway.connectionCount(2) === 0 }, 3000)

        // Back to the console of the gateway the page was opened for.
        click("reconnectButton")
        tryCompare(tcpClient, "connected", true, 5000)
        compare(tcpClient.currentPort, 23)
        tryVerify(function() { return gateway.connectionCount(2) === 1 }, 3000)
    }

    function test_cloudViewButtonsSendTheModemCommands_data() {
        return [
            { tag: "Open", name: "openButton",
              expected: function(m) { return "AT+QMTOPEN=0,\"" + m.mqttServer + "\"," + m.mqttPort + "\r\n" } },
            { tag: "Connect", name: "connectButton",
              expected: function(m) { return "AT+QMTCONN=0,\"device1\",\"" + m.mqttUser + "\",\"" + m.mqttPass + "\"\r\n" } },
            { tag: "Receive from Topic", name: "subscribeReceiveButton",
              expected: function(m) { return "AT+QMTSUB=0,1,\"" + m.mqttTopicOut + "\",1\r\n" } },
            { tag: "Unsubscribe OutTopic", name: "unsubscribeReceiveButton",
              expected: function(m) { return "AT+QMTUNS=0,1,\"" + m.mqttTopicOut + "\"\r\n" } },
            { tag: "Subscribe to InTopic", name: "subscribeCommandButton",
              expected: function(m) { return "AT+QMTSUB=0,1,\"" + m.mqttTopicIn + "\",1\r\n" } },
            { tag: "Publish", name: "publishButton",
              expected: function(m) { return "AT+QMTPUB=0,1,1,0,\"" + m.mqttTopicIn + "\"\r\n" } },
            { tag: "Unsubscribe In Topic", name: "unsubscribeCommandButton",
              expected: function(m) { return "AT+QMTUNS=0,1,\"" + m.mqttTopicIn + "\"\r\n" } },
            { tag: "Disconnect Cloud", name: "disconnectCloudButton",
              expected: function(m) { return "AT+QMTDISC=0\r\n" } },
            { tag: "Close MQTT", name: "closeMqttButton",
              expected: function(m) { return "AT+QMTCLOSE=0\r\n" } }
        ]
    }

    function test_cloudViewButtonsSendTheModemCommands(data) {
        openTerminal(0, true)
        click("sendToCloudButton")
        compare(page.showCommandView, true)
        verify(named("cloudViewTitle").visible)
        verify(!named("tcpViewTitle").visible)
        var expected = data.expected(tcpClient.dataMap)
        verify(expected.indexOf("undefined") < 0, expected)
        click(data.name)
        expectBytes(expected)
        click("backButton")
        compare(page.showCommandView, false)
        verify(named("tcpViewTitle").visible)
    }

    function test_sendToTopicWritesTheBodyAndCtrlZ_data() {
        return [
            { tag: "a message", text: "{\"t\":1}", bytes: "{\"t\":1}\u001a" },
            { tag: "an empty message writes nothing", text: "", bytes: "" }
        ]
    }

    function test_sendToTopicWritesTheBodyAndCtrlZ(data) {
        openTerminal(0)
        click("sendToCloudButton")
        named("inTopic").text = data.text
        click("sendToTopicButton")
        if (data.bytes.length > 0)
            expectBytes(data.bytes)
        wait(200)
        compare(gateway.atBytes(), data.bytes)
    }
}
