import QtQuick
import "components"

// Adds an RS-485 device to the gateway on the LAN over the page's own
// command connection.
DeviceAddPage {
    readonly property int port: 8881

    function ensureConnection(ip, wantedPort) {
        if (!tcpClient.connected) {
            tcpClient.connectToDevice(ip, wantedPort)
        } else if (tcpClient.currentPort !== wantedPort) {
            tcpClient.disconnectFromDevice()
            tcpClient.connectToDevice(ip, wantedPort)
        }
    }

    onDone: {
        loaderr.source = "qrc:/AvailableMeters.qml"
        pagehead = "Devices - Device List"
    }

    Component.onCompleted: ensureConnection(currentdeviceIP, port)
    Component.onDestruction: {
        if (tcpClient.connected && tcpClient.currentPort === port)
            tcpClient.disconnectFromDevice()
    }
}
