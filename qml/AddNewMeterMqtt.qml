import QtQuick
import "components"

// Adds an RS-485 device to the selected gateway through the broker. The page
// opens no connection of its own and sends nothing until the operator adds.
DeviceAddPage {
    deviceId: currentDeviceId

    onDone: {
        loaderr.source = "qrc:/AvailableMeterMqtt.qml"
        pagehead2 = "Devices - Device List"
    }
}
