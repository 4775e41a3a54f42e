import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import "components"
import "components/Palette.js" as Palette

// The direct-mode menu: navigation entries, the device and TCP link status,
// and the reboot command.
NavigationMenu {
    id: menu
    objectName: "sideMenu"

    // Each entry: its label, the page it loads and the header text that both
    // names the page and marks the entry active.
    entries: [
        { caption: "", label: "Choose Device", page: "qrc:/ChooseDeviceIp.qml", head: "Choose Device", leaves: true },
        { caption: "GATEWAY", label: "Network", page: "qrc:/NetworkPage.qml", head: "Gateway - Network" },
        { caption: "", label: "Cloud", page: "qrc:/MqttConfigPage.qml", head: "Gateway - Cloud" },
        { caption: "Devices", label: "Add Device", page: "qrc:/AddMeter.qml", head: "Devices - Add Device" },
        { caption: "", label: "Device List", page: "qrc:/AvailableMeters.qml", head: "Devices - Device List" },
        { caption: "", label: "Baudrate", page: "qrc:/SetBaudrate.qml", head: "Devices - Device Baudrate" },
        { caption: "SYSTEM", label: "Settings", page: "qrc:/AllSettings.qml", head: "Wi-Fi/Bluetooth/SIM Settings" },
        { caption: "", label: "Logs", page: "qrc:/Log.qml", head: "System - Logs" },
        { caption: "", label: "Trends", page: "qrc:/Trends.qml", head: "System - Trends" },
        { caption: "", label: "Backup", page: "qrc:/Backup.qml", head: "System - Backup" },
        { caption: "", label: "Fleet", page: "qrc:/Fleet.qml", head: "System - Fleet" },
        { caption: "", label: "About", about: true }
    ]
    currentHead: pagehead
    linkConnected: tcpClient.connected

    onEntryClicked: function(entry) {
        if (entry.leaves) {
            ipSelected = false
            idSelected = false
        }
        // The page already shown is not created again.
        if (loaderr.source.toString() !== entry.page)
            loaderr.source = entry.page
        pagehead = entry.head
    }

    Rectangle {
        Layout.alignment: Qt.AlignHCenter
        Layout.preferredWidth: menu.width * 0.8
        Layout.preferredHeight: 1
        color: "#555555"
    }
    Item { Layout.preferredHeight: 8 }
    Button {
        id: rebootButton
        objectName: "rebootButton"
        Layout.alignment: Qt.AlignHCenter
        Layout.preferredWidth: menu.width * 0.88
        Layout.preferredHeight: 32
        Layout.bottomMargin: 15
        text: "Reboot"
        contentItem: Text {
            text: rebootButton.text
            color: "white"
            font.bold: true
            font.pixelSize: 14
            font.family: qcksnd.name
            horizontalAlignment: Text.AlignHCenter
            verticalAlignment: Text.AlignVCenter
        }
        background: Rectangle { radius: 5; color: Palette.danger }
        Keys.onReturnPressed: clicked()
        Keys.onEnterPressed: clicked()
        FocusRing { radius: 8 }
        onClicked: rebootPopup.open()
    }

    ConfirmDialog {
        id: rebootPopup
        objectName: "rebootPopup"
        namePrefix: "reboot"
        title: "Reboot Confirmation"
        message: "Are you sure you want to reboot the device?"
        onAccepted: tcpClient.sendCommand("REBOOT")
    }
}
