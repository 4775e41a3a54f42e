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
        { caption: "", label: "Logs", page: "qrc:/Log.qml", head: "System - Logs" }
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
        onClicked: rebootPopup.open()
    }

    Popup {
        id: rebootPopup
        objectName: "rebootPopup"
        parent: Overlay.overlay
        anchors.centerIn: parent
        width: 340
        height: 220
        modal: true
        closePolicy: Popup.NoAutoClose
        background: Rectangle {
            color: Palette.page
            radius: 12
            border.width: 1.5
            border.color: Palette.accent
        }
        ColumnLayout {
            anchors.fill: parent
            spacing: 10
            Text {
                Layout.alignment: Qt.AlignHCenter
                text: "Reboot Confirmation"
                color: Palette.accent
                font.bold: true
                font.pixelSize: 22
                font.family: qcksnd.name
            }
            Text {
                Layout.fillWidth: true
                text: "Are you sure you want to reboot the device?"
                color: "white"
                font.pixelSize: 16
                font.family: qcksnd.name
                horizontalAlignment: Text.AlignHCenter
                wrapMode: Text.WordWrap
            }
            RowLayout {
                Layout.alignment: Qt.AlignHCenter
                spacing: 16
                PrimaryButton {
                    objectName: "rebootYes"
                    implicitWidth: 100
                    implicitHeight: 42
                    text: "Yes"
                    onClicked: {
                        tcpClient.sendCommand("REBOOT")
                        rebootPopup.close()
                    }
                }
                SecondaryButton {
                    objectName: "rebootNo"
                    implicitWidth: 100
                    implicitHeight: 42
                    fill: "#3a5068"
                    labelColor: "white"
                    text: "No"
                    onClicked: rebootPopup.close()
                }
            }
        }
    }
}
