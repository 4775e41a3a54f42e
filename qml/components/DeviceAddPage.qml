import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import "Palette.js" as Palette
import "../DeviceForm.js" as DeviceForm

// The add-device page of both modes: one record goes to the gateway and is
// saved to flash once the gateway took it. In cloud mode (`deviceId` set)
// the commands go through the broker. "Done" on the result dialog emits
// done() so that the page can open its mode's device list.
Rectangle {
    id: page
    color: Palette.page

    property alias deviceId: operation.deviceId
    readonly property bool addingDevice: operation.pending
    property string addedDev: ""
    property alias operation: operation
    signal done()

    function addDevice() {
        // One addition at a time: a second press while the first waits would
        // add the device twice.
        if (operation.pending)
            return
        var values = form.values()
        if (values.error) {
            form.showError(values.error)
            return
        }
        form.message = ""
        addedDev = values.name
        operation.start(DeviceForm.addCommand(values.port, values.crc, values), "add")
    }

    function resetMessage() { form.message = "" }

    GatewayOperation {
        id: operation
        onSucceeded: {
            form.showSuccess("Device Added successfully")
            addedSuccesspopup.open()
        }
        onFailed: function(what, reason) {
            form.showError("Device not added")
            failurePopup.message = reason
            failurePopup.open()
        }
    }

    PageCard {
        anchors.fill: parent
        title: "Modbus Devices"

        DeviceEditor {
            id: form
            objectName: "addForm"
            anchors.fill: parent
            hexPlaceholder: "e.g. 02 03 00 00 00 67"
            restrictSeconds: true
            primaryButton.text: "Add Device"
            primaryButton.objectName: "addDeviceButton"
            secondaryButton.text: "Clear"
            secondaryButton.objectName: "clearButton"
            notice: page.deviceId.length > 0 ? tcpClient.brokerError : ""
            onPrimaryClicked: page.addDevice()
            onSecondaryClicked: form.clear()
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
        onPrimaryClicked: {
            page.resetMessage()
            close()
            page.done()
        }
        onSecondaryClicked: {
            page.resetMessage()
            close()
        }
    }

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
}
