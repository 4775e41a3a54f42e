import QtQuick
import QtTest

// The AT terminal on the simulator's modem console (port 23): its link while
// shown, which buttons need that link, and what each button sends.
LogPageCase {
    name: "ATCommandPage"

    property string address

    SignalSpy { id: clickSpy; signalName: "clicked" }

    // Opens the page after leaving the link on `before` (0: none); with
    // `read`, the gateway's settings are read first, as a settings page does.
    function openTerminal(before, read) {
        address = gateway.start()
        gateway.setMonitorRate(-1)
        if (read) {
            tcpClient.connectToDevice(address, 8881)
            tryCompare(tcpClient, "connected", true)
            tcpClient.sendCommand("GETALL")
            tryVerify(function() { return tcpClient.dataMap["mqttTopicOut"] !== undefined }, 5000)
            tcpClient.disconnectFromDevice()
            tryCompare(tcpClient, "connected", false)
        }
        if (before) {
            tcpClient.connectToDevice(address, before)
            tryCompare(tcpClient, "connected", true)
        }
        openWindow()
        window.currentdeviceIP = address
        loadPage("qrc:/ATCommandPage.qml")
        tryCompare(tcpClient, "currentPort", 23)
        tryCompare(tcpClient, "connected", true, 5000)
        tryVerify(function() { return gateway.connectionCount(2) === 1 }, 3000, "no console link")
        gateway.clearReceived()
    }

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
    }

    function test_closingDropsOnlyItsOwnLink() {
        openTerminal(0)
        loadPage("qrc:/TcpClient.qml")
        tryVerify(function() { return gateway.connectionCount(2) === 0 }, 3000)
        // Replaced by someone else's link before closing: that link stays.
        loadPage("qrc:/ATCommandPage.qml")
        tryCompare(tcpClient, "currentPort", 23)
        tcpClient.connectToDevice(address, 8881)
        tryCompare(tcpClient, "connected", true)
        loadPage("qrc:/TcpClient.qml")
        wait(200)
        compare(tcpClient.currentPort, 8881)
        compare(tcpClient.connected, true)
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
        tcpClient.disconnectFromDevice()
        tryCompare(tcpClient, "connected", false)
        var button = named(data.name)
        compare(String(button.background.color), String(Qt.color("grey")))
        compare(named("sendToCloudButton").visible, false)
        clickSpy.target = button
        clickSpy.clear()
        waitForRendering(window.contentItem, 250)
        mouseClick(button)
        compare(clickSpy.count, 0)
    }

    function test_sendWritesTheLineKeepsItAndTheAnswerShowsAsText() {
        openTerminal(0)
        named("commandField").text = "AT+CSQ"
        click("sendButton")
        expectBytes("AT+CSQ\r\n")
        compare(named("commandField").text, "AT+CSQ")
        gateway.sendRaw(2, "<b>+QMTSTAT: 0,1</b>\n")
        tryVerify(function() { return tcpClient.atLog.indexOf("<b>+QMTSTAT") >= 0 }, 3000)
        expectShown(named("terminalLog"), tcpClient.atLog, "")
    }

    function test_clearLogDisconnectAndReconnect() {
        openTerminal(0)
        gateway.sendRaw(2, "RDY\n")
        tryVerify(function() { return tcpClient.atLog.length > 0 }, 3000)
        click("clearLogButton")
        expectShown(named("terminalLog"), "", "")
        click("disconnectButton")
        tryVerify(function() { return gateway.connectionCount(2) === 0 }, 3000)
        // Back to the console of the gateway the page was opened for.
        click("reconnectButton")
        tryVerify(function() { return gateway.connectionCount(2) === 1 }, 5000)
        compare(tcpClient.currentPort, 23)
    }

    // The texts themselves are the AtCommands unit suite's; here each button
    // must send its own command.
    function test_cloudViewButtonsSendTheModemCommands_data() {
        return [
            { tag: "Open", name: "openButton", sent: "AT+QMTOPEN=0," },
            { tag: "Connect", name: "connectButton", sent: "AT+QMTCONN=0," },
            { tag: "Receive from Topic", name: "subscribeReceiveButton", sent: "AT+QMTSUB=0,1,", topic: "mqttTopicOut" },
            { tag: "Unsubscribe OutTopic", name: "unsubscribeReceiveButton", sent: "AT+QMTUNS=0,1,", topic: "mqttTopicOut" },
            { tag: "Subscribe to InTopic", name: "subscribeCommandButton", sent: "AT+QMTSUB=0,1,", topic: "mqttTopicIn" },
            { tag: "Publish", name: "publishButton", sent: "AT+QMTPUB=0,1,1,0,", topic: "mqttTopicIn" },
            { tag: "Unsubscribe In Topic", name: "unsubscribeCommandButton", sent: "AT+QMTUNS=0,1,", topic: "mqttTopicIn" },
            { tag: "Disconnect Cloud", name: "disconnectCloudButton", sent: "AT+QMTDISC=0\r\n" },
            { tag: "Close MQTT", name: "closeMqttButton", sent: "AT+QMTCLOSE=0\r\n" }
        ]
    }

    function test_cloudViewButtonsSendTheModemCommands(data) {
        openTerminal(0, true)
        click("sendToCloudButton")
        click(data.name)
        tryVerify(function() { return gateway.atBytes().indexOf(data.sent) === 0 }, 3000,
                  "console got " + JSON.stringify(gateway.atBytes()))
        // Rows of a kind differ only by the topic.
        if (data.topic)
            verify(gateway.atBytes().indexOf("\"" + tcpClient.dataMap[data.topic] + "\"") > 0)
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
        wait(200)
        expectBytes(data.bytes)
        click("backButton")
        verify(named("tcpViewTitle").visible)
    }
}
