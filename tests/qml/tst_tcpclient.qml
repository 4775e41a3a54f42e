import QtQuick
import QtTest

// The bare TCP console: connecting by address and typed port, the port field
// following the link, and sending lines.
LogPageCase {
    name: "TcpClient"

    property string address

    function init() {
        address = gateway.start()
        verify(address.length > 0)
        gateway.setMonitorRate(-1)
        openWindow()
        loadPage("qrc:/TcpClient.qml")
    }

    function cleanup() {
        window = null
        page = null
        tcpClient.disconnectFromDevice()
        gateway.stop()
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
        named("ipField").text = address
        named("portField").text = data.port
        click("connectButton")
        if (data.connected) {
            tryCompare(tcpClient, "connected", true, 5000)
            compare(tcpClient.currentPort, Number(data.shown))
            tryCompare(named("connectButton"), "text", "Disconnect")
            verify(named("sendCommandButton").visible)
        } else {
            wait(300)
            compare(tcpClient.connected, false)
            verify(tcpClient.log.indexOf("ERROR: Invalid port") >= 0)
        }
        compare(named("portField").text, data.shown)
    }

    function test_portFieldEmptiesWhenTheLinkDrops() {
        named("ipField").text = address
        named("portField").text = "8881"
        click("connectButton")
        tryCompare(tcpClient, "connected", true, 5000)
        gateway.dropConnections(0)
        tryCompare(tcpClient, "connected", false, 5000)
        compare(named("portField").text, "")
        compare(named("connectButton").text, "Connect to Gateway")
    }

    function test_sendEmptiesTheFieldAndTheLogFollows() {
        named("ipField").text = address
        named("portField").text = "8881"
        click("connectButton")
        tryCompare(tcpClient, "connected", true, 5000)
        click("sendCommandButton")
        compare(page.showCommandView, true)
        named("commandField").text = "GETALL"
        click("sendButton")
        compare(named("commandField").text, "")
        tryVerify(function() { return gateway.commands().indexOf("GETALL") >= 0 }, 3000)
        expectShown(named("terminalLog"), tcpClient.log, "")
    }
}
