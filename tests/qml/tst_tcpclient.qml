import QtQuick
import QtTest

// The bare TCP console: connecting by address and typed port, the port field
// following the link, and sending lines.
PageCase {
    name: "TcpClient"

    function init() {
        address = gateway.start()
        openWindow()
        load("qrc:/TcpClient.qml")
    }

    function connectTo(port) {
        named("ipField").text = address
        named("portField").text = port
        click("connectButton")
    }

    function test_connectsToTheTypedAddressAndPort_data() {
        return [
            { tag: "command port", port: "8881", connected: true, shown: "8881" },
            { tag: "monitor port", port: "8880", connected: true, shown: "8880" },
            { tag: "leading digits only", port: "8881abc", connected: true, shown: "8881" },
            // Refused by the backend; the typed text stays for correcting.
            { tag: "no digits", port: "abc", connected: false, shown: "abc" },
            { tag: "beyond 65535", port: "74417", connected: false, shown: "74417" }
        ]
    }

    function test_connectsToTheTypedAddressAndPort(data) {
        connectTo(data.port)
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
    }

    // The field empties on sending and the log follows; when the link drops,
    // the port field empties too.
    function test_sendThenTheLinkDrops() {
        connectTo("8881")
        tryCompare(tcpClient, "connected", true, 5000)
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
