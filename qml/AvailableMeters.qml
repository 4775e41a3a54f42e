import QtQuick
import "components"
import "DirectLink.js" as DirectLink

// The RS-485 devices of the gateway on the LAN, over the page's own command
// connection.
DeviceListPage {
    id: page
    devices: tcpClient.deviceList
    incomplete: tcpClient.deviceListIncomplete
    onReadAgainRequested: ensureConnection(currentdeviceIP, port)
    subtitle: "Detected meters and communication details"

    readonly property int port: 8881

    function ensureConnection(ip, wantedPort) {
        DirectLink.ensure(tcpClient, ip, wantedPort)
        listTimer.start()
    }

    Connections {
        target: tcpClient
        function onConnectedChanged() {
            if (tcpClient.connected)
                page.listTimer.start()
        }
    }

    Component.onCompleted: ensureConnection(currentdeviceIP, port)
    Component.onDestruction: DirectLink.release(tcpClient, port)
}
