import QtQuick
import "components"
import "DirectLink.js" as DirectLink

// Adds an RS-485 device to the gateway on the LAN over the page's own
// command connection.
DeviceAddPage {
    readonly property int port: 8881

    function ensureConnection(ip, wantedPort) {
        DirectLink.ensure(tcpClient, ip, wantedPort)
    }

    onDone: {
        loaderr.source = "qrc:/AvailableMeters.qml"
        pagehead = "Devices - Device List"
    }

    Component.onCompleted: ensureConnection(currentdeviceIP, port)
    Component.onDestruction: DirectLink.release(tcpClient, port)
}
