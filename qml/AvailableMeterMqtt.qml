import QtQuick
import "components"

// The RS-485 devices of the selected gateway, through the broker. The page
// opens no connection of its own: it asks for the list a second after it
// opens.
DeviceListPage {
    devices: tcpClient.deviceListMqtt
    incomplete: tcpClient.deviceListMqttIncomplete
    onReadAgainRequested: listTimer.start()
    subtitle: "Detected meters and communication details from MQTT"
    deviceId: currentDeviceId

    Component.onCompleted: listTimer.start()
}
