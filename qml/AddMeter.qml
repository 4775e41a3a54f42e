import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import "components"
import "components/Palette.js" as Palette
import "DeviceForm.js" as DeviceForm

// Adds one RS-485 device record to the gateway over the page's own command
// connection, and saves it to flash once the gateway took it.
Rectangle {
    id: page
    color: Palette.page

    readonly property bool addingDevice: operation.pending
    property string addedDev: ""
    readonly property int port: 8881
    property alias operation: operation

    function ensureConnection(ip, wantedPort) {
        if (!tcpClient.connected) {
            tcpClient.connectToDevice(ip, wantedPort)
        } else if (tcpClient.currentPort !== wantedPort) {
            tcpClient.disconnectFromDevice()
            tcpClient.connectToDevice(ip, wantedPort)
        }
    }

    function addDevice() {
        // One addition at a time: a second press while the first waits would
        // add the device twice.
        if (operation.pending)
            return
        var values = DeviceForm.check(hexField.text, secondsField.text, nameField.text)
        if (values.error) {
            message.success = false
            message.text = values.error
            return
        }
        var command = DeviceForm.addCommand(DeviceForm.portEntries[portBox.currentIndex].value,
                                            DeviceForm.crcEntries[crcBox.currentIndex].value,
                                            values)
        message.text = ""
        addedDev = values.name
        operation.start(command, "add")
    }

    function clearForm() {
        message.text = ""
        hexField.text = ""
        secondsField.text = ""
        nameField.text = ""
        portBox.currentIndex = 0
        crcBox.currentIndex = 0
    }

    GatewayOperation {
        id: operation
        onSucceeded: {
            message.success = true
            message.text = "Device Added successfully"
            addedSuccesspopup.open()
        }
        onFailed: function(what, reason) {
            message.success = false
            message.text = "Device not added"
            failurePopup.message = reason
            failurePopup.open()
        }
    }

    PageCard {
        anchors.fill: parent
        title: "Modbus Devices"

        ScrollForm {
            anchors.fill: parent

            MessageLine {
                id: message
                objectName: "addMessage"
                Layout.fillWidth: true
            }
            LabeledComboBox {
                id: portBox
                objectName: "addPort"
                Layout.fillWidth: true
                caption: "Port"
                textRole: "text"
                model: DeviceForm.portEntries
                currentIndex: 0
            }
            LabeledComboBox {
                id: crcBox
                objectName: "addCrc"
                Layout.fillWidth: true
                caption: "CRC (Auto/Manual)"
                textRole: "text"
                model: DeviceForm.crcEntries
                currentIndex: 0
            }
            LabeledField {
                id: hexField
                objectName: "addHex"
                Layout.fillWidth: true
                caption: "Hex Command"
                placeholderText: "e.g. 02 03 00 00 00 67"
            }
            LabeledField {
                id: secondsField
                objectName: "addSeconds"
                Layout.fillWidth: true
                caption: "Seconds"
                placeholderText: "seconds"
                // Only limits typing; addDevice() decides.
                validator: DoubleValidator {
                    bottom: 0.1
                    top: 300
                    notation: DoubleValidator.StandardNotation
                    locale: "C"
                }
            }
            LabeledField {
                id: nameField
                objectName: "addName"
                Layout.fillWidth: true
                caption: "Name"
                placeholderText: "Device name"
            }
            RowLayout {
                Layout.alignment: Qt.AlignRight
                Layout.topMargin: 8
                spacing: 12
                PrimaryButton {
                    objectName: "addDeviceButton"
                    Layout.preferredWidth: 160
                    Layout.preferredHeight: 42
                    radius: 21
                    fontSize: 15
                    text: "Add Device"
                    onClicked: page.addDevice()
                }
                SecondaryButton {
                    objectName: "addClearButton"
                    Layout.preferredWidth: 120
                    Layout.preferredHeight: 42
                    radius: 21
                    fontSize: 14
                    text: "Clear"
                    onClicked: page.clearForm()
                }
            }
        }
    }

    BusyOverlay {
        objectName: "busyOverlay"
        visible: page.addingDevice
    }

    ResultDialog {
        id: addedSuccesspopup
        objectName: "addedSuccesspopup"
        title: "Device Added"
        message: "\"" + page.addedDev + "\" has been added successfully."
        primaryText: "Done"
        secondaryText: "Close"
        // `message` here is the dialog's own text, so the page's line is
        // reached through the page.
        onPrimaryClicked: {
            page.resetMessage()
            close()
            loaderr.source = "qrc:/AvailableMeters.qml"
            pagehead = "Devices - Device List"
        }
        onSecondaryClicked: {
            page.resetMessage()
            close()
        }
    }

    function resetMessage() { message.text = "" }

    ResultDialog {
        id: failurePopup
        objectName: "failurePopup"
        success: false
        title: "Device Not Added"
        primaryText: "Ok"
        secondaryText: "Close"
        onPrimaryClicked: close()
        onSecondaryClicked: close()
    }

    Component.onCompleted: ensureConnection(currentdeviceIP, port)
    Component.onDestruction: {
        if (tcpClient.connected && tcpClient.currentPort === port)
            tcpClient.disconnectFromDevice()
    }
}
