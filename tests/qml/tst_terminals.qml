import QtQuick
import QtTest

// The AT terminal on the modem console (port 23) and the bare TCP console:
// their links, which buttons need them, and what each button sends.
PageCase {
    name: "Terminals"

    SignalSpy { id: clickSpy; signalName: "clicked" }

    // Opens the page, which drops the link left on `before` (each case leaves
    // another); with `read`, after reading the settings as a settings page does.
    function openTerminal(before, read) {
        openDirect("qrc:/ATCommandPage.qml", read ? 8881 : before, function() {
            if (read)
                tcpClient.sendCommand("GETALL")
            tryVerify(function() { return !read || tcpClient.dataMap["mqttTopicOut"] !== undefined }, 5000)
        })
        tryCompare(tcpClient, "currentPort", 23)
        tryVerify(function() { return gateway.connectionCount(2) === 1 }, 5000, "no console link")
        tryVerify(function() { return gateway.connectionCount(0) + gateway.connectionCount(1) === 0 },
                  3000, "the earlier link was not dropped")
        gateway.clearReceived()
    }

    function expectBytes(expected) {
        tryVerify(function() { return gateway.received(2) === expected }, 3000,
                  "console got " + JSON.stringify(gateway.received(2)) + ", expected " + JSON.stringify(expected))
    }

    // The line stays for another send, the answer shows as text; then the
    // log empties, and the link goes (the buttons that need it grey and
    // ignoring clicks) and comes back to the same gateway.
    // Closing the page drops its own link, but not one that replaced it.
    function test_atConsoleSession() {
        openTerminal(8880)
        named("commandField").text = "AT+CSQ"
        click("sendButton")
        expectBytes("AT+CSQ\r\n")
        compare(named("commandField").text, "AT+CSQ")
        gateway.sendRaw(2, "<b>+QMTSTAT: 0,1</b>\n")
        tryVerify(function() { return tcpClient.atLog.indexOf("<b>+QMTSTAT") >= 0 }, 3000)
        expectShown(named("terminalLog"), tcpClient.atLog, "")
        click("clearLogButton")
        expectShown(named("terminalLog"), "", "")
        click("disconnectButton")
        tryVerify(function() { return gateway.connectionCount(2) === 0 }, 3000)
        tryCompare(tcpClient, "connected", false)
        for (var name of ["disconnectButton", "connectButton"]) { // the second in the cloud view
            page.showCommandView = name === "connectButton"
            var button = named(name)
            compare([String(button.background.color), named("sendToCloudButton").visible], [String(Qt.color("grey")), false])
            clickSpy.target = button
            clickSpy.clear()
            waitForRendering(window.contentItem, 250)
            mouseClick(button)
            compare(clickSpy.count, 0)
        }
        page.showCommandView = false
        click("reconnectButton")
        tryVerify(function() { return gateway.connectionCount(2) === 1 }, 5000)
        compare(tcpClient.currentPort, 23)
        load("qrc:/TcpClient.qml")
        tryVerify(function() { return gateway.connectionCount(2) === 0 }, 3000)
        load("qrc:/ATCommandPage.qml")
        tryCompare(tcpClient, "currentPort", 23)
        tcpClient.connectToDevice(address, 8881)
        tryCompare(tcpClient, "connected", true)
        load("qrc:/TcpClient.qml")
        wait(200)
        compare([tcpClient.currentPort, tcpClient.connected], [8881, true])
    }

    // The texts themselves are the AtCommands unit suite's; here each button
    // must send its own command, rows of a kind differing by the topic. A
    // message to the topic goes as its body and Ctrl+Z, an empty one not at all.
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
            { tag: "Close MQTT", name: "closeMqttButton", sent: "AT+QMTCLOSE=0\r\n" },
            { tag: "a message to the topic", name: "sendToTopicButton", before: 23, text: "{\"t\":1}", bytes: "{\"t\":1}\u001a" },
            { tag: "an empty message writes nothing", name: "sendToTopicButton", before: 23, text: "", bytes: "" }
        ]
    }

    function test_cloudViewButtonsSendTheModemCommands(data) {
        openTerminal(data.before || 0, !data.before)
        click("sendToCloudButton")
        if (data.text !== undefined)
            named("inTopic").text = data.text
        click(data.name)
        if (data.bytes !== undefined) {
            wait(200)
            expectBytes(data.bytes)
        } else {
            tryVerify(function() { return gateway.received(2).indexOf(data.sent) === 0 }, 3000,
                      "console got " + JSON.stringify(gateway.received(2)))
        }
        if (data.topic)
            verify(gateway.received(2).indexOf("\"" + tcpClient.dataMap[data.topic] + "\"") > 0)
        click("backButton")
        verify(named("tcpViewTitle").visible)
    }

    // Once connected (`send`), the field empties on sending and the log
    // follows; when the link drops, the port field empties too.
    function test_tcpConsoleConnectsToTheTypedAddressAndPort_data() {
        return [
            { tag: "command port, then sending", port: "8881", connected: true, shown: "8881", send: true },
            { tag: "monitor port", port: "8880", connected: true, shown: "8880" },
            { tag: "leading digits only", port: "8881abc", connected: true, shown: "8881" },
            // Refused by the backend; the typed text stays for correcting.
            { tag: "no digits", port: "abc", connected: false, shown: "abc" },
            { tag: "beyond 65535", port: "74417", connected: false, shown: "74417" }
        ]
    }

    function test_tcpConsoleConnectsToTheTypedAddressAndPort(data) {
        openDirect("qrc:/TcpClient.qml")
        named("ipField").text = address
        named("portField").text = data.port
        click("connectButton")
        if (data.connected) {
            tryCompare(tcpClient, "connected", true, 5000)
            compare(tcpClient.currentPort, Number(data.shown))
            tryCompare(named("connectButton"), "text", "Disconnect")
        } else {
            wait(300)
            compare(tcpClient.connected, false)
            verify(tcpClient.log.indexOf("ERROR: Invalid port") >= 0)
        }
        compare([named("portField").text, named("sendCommandButton").visible], [data.shown, data.connected])
        if (!data.send)
            return
        click("sendCommandButton")
        named("commandField").text = "GETALL"
        click("sendButton")
        compare(named("commandField").text, "")
        tryVerify(function() { return gateway.commands().indexOf("GETALL") >= 0 }, 3000)
        expectShown(named("terminalLog"), tcpClient.log, "")
        gateway.dropConnections(0)
        tryCompare(tcpClient, "connected", false, 5000)
        compare([named("portField").text, named("connectButton").text], ["", "Connect to Gateway"])
    }
}
