import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import "Palette.js" as Palette
import "../DeviceForm.js" as DeviceForm

// The device list page of both modes: the gateway's RS-485 devices with an
// edit form and deletion. The page that uses it gives the list, the subtitle
// and, in cloud mode, the gateway's identifier; the commands then go through
// the broker instead of the direct link.
Rectangle {
    id: page
    color: Palette.page

    property var devices: []
    // The gateway's reply held only part of its list; the page says so and
    // offers to read it again (readAgainRequested()).
    property bool incomplete: false
    // The page's last read of the list went unanswered past the guard.
    property bool unanswered: false
    // Why the broker of a cloud page is out of reach.
    readonly property string brokerError: deviceId.length > 0 ? tcpClient.brokerError : ""
    property alias subtitle: subtitleText.text
    property alias deviceId: operation.deviceId

    property string devname: ""
    property int delindex: -1
    property int editindex: -1
    property string moddevname: ""
    readonly property bool deletingDevice: operation.kind === "delete"
    readonly property bool modifyingDevice: operation.kind === "modify"
    property alias listTimer: mytimer
    property alias operation: operation
    readonly property bool editing: editbox.visible
    signal readAgainRequested()

    function showTable() {
        editbox.visible = false
        headingtext.text = "Available RS485 Devices"
    }

    function startEdit(position) {
        var record = page.devices[position]
        if (!record)
            return
        editindex = position
        editbox.load(record)
        headingtext.text = "Modify RS485 Device"
        editbox.visible = true
        editbox.focusFirst()
    }

    function saveChanges() {
        // The busy overlay covers the form, but a key press could still
        // reach the button: one change at a time.
        if (operation.pending)
            return
        var values = editbox.values()
        if (values.error) {
            editbox.showError(values.error)
            return
        }
        editbox.message = ""
        moddevname = values.name
        operation.start(DeviceForm.modifyCommand(editindex, values.port, values.crc, values), "modify")
    }

    function askDelete(position) {
        var record = page.devices[position]
        if (!record || operation.pending)
            return
        devname = String(record.name)
        delindex = position
        deletePopup.open()
    }

    Timer {
        id: mytimer
        objectName: "mytimer"
        interval: 1000
        onTriggered: {
            operation.send("GET rs485list")
            readGuard.restart()
        }
    }

    // A table left as it was must not pass for the gateway's answer.
    Timer {
        id: readGuard
        interval: operation.guardInterval
        onTriggered: page.unanswered = true
    }
    onDevicesChanged: {
        readGuard.stop()
        unanswered = false
    }

    GatewayOperation {
        id: operation
        onSucceeded: function(what) {
            if (what === "delete")
                deletesuccessPopup.open()
            else
                modifiedSuccesspopup.open()
        }
        onFailed: function(what, reason) {
            failurePopup.title = what === "delete" ? "Device Not Deleted" : "Device Not Modified"
            failurePopup.message = reason
            failurePopup.open()
        }
    }

    ColumnLayout {
        anchors.fill: parent
        anchors.margins: 25
        spacing: 16

        RowLayout {
            Layout.fillWidth: true
            ColumnLayout {
                spacing: 4
                Text {
                    id: headingtext
                    objectName: "headingtext"
                    text: "Available RS485 Devices"
                    color: "white"
                    font.bold: true
                    font.pixelSize: 26
                    font.family: qcksnd.name
                }
                Text {
                    id: subtitleText
                    objectName: "subtitle"
                    color: "#9fb3c8"
                    font.pixelSize: 13
                    font.family: qcksnd.name
                }
            }
            Item { Layout.fillWidth: true }
            Rectangle {
                color: "#1abc9c"
                radius: 8
                implicitWidth: totalText.implicitWidth + 24
                implicitHeight: totalText.implicitHeight + 12
                Text {
                    id: totalText
                    objectName: "totalChip"
                    anchors.centerIn: parent
                    text: "Total : " + page.devices.length
                    color: "white"
                    font.bold: true
                    font.pixelSize: 15
                    font.family: qcksnd.name
                }
            }
        }

        RowLayout {
            objectName: "incompleteNotice"
            Layout.fillWidth: true
            visible: (page.incomplete || page.unanswered || page.brokerError.length > 0)
                     && !editbox.visible
            spacing: 12
            Text {
                objectName: "listNotice"
                Layout.fillWidth: true
                text: page.brokerError.length > 0 ? page.brokerError
                    : page.unanswered ? "No answer from the gateway"
                    : "The device list is incomplete: the gateway's reply was cut off."
                color: "#ff7777"
                font.pixelSize: 15
                font.family: qcksnd.name
                wrapMode: Text.WordWrap
            }
            SecondaryButton {
                objectName: "readAgainButton"
                implicitHeight: 36
                text: "Read again"
                onClicked: page.readAgainRequested()
            }
        }

        Rectangle {
            Layout.fillWidth: true
            Layout.fillHeight: true
            color: Palette.card
            radius: 14
            border.color: "#3d566e"

            DeviceTable {
                id: avilTable
                objectName: "avilTable"
                anchors.fill: parent
                anchors.margins: 12
                visible: !editbox.visible
                devices: page.devices
                onEditClicked: function(position) { page.startEdit(position) }
                onDeleteClicked: function(position) { page.askDelete(position) }
            }

            DeviceEditor {
                id: editbox
                objectName: "editbox"
                visible: false
                anchors.fill: parent
                anchors.margins: 20
                hexPlaceholder: "1"
                primaryButton.text: "Save changes"
                primaryButton.objectName: "saveChangesButton"
                secondaryButton.text: "Back"
                secondaryButton.objectName: "backButton"
                onPrimaryClicked: page.saveChanges()
                onSecondaryClicked: page.showTable()
            }
        }
    }

    BusyOverlay {
        objectName: "busyOverlay"
        visible: page.deletingDevice || page.modifyingDevice
    }

    DeleteDeviceDialog {
        id: deletePopup
        objectName: "deletePopup"
        deviceName: page.devname
        onConfirmed: operation.start(DeviceForm.deleteCommand(page.delindex), "delete")
    }

    ResultDialog {
        id: deletesuccessPopup
        objectName: "deletesuccessPopup"
        title: "Device Delted"
        message: "\"" + page.devname + "\" has been deleted successfully."
        primaryText: "Ok"
        secondaryText: "Close"
        function dismiss() {
            close()
            mytimer.start()
        }
        onPrimaryClicked: dismiss()
        onSecondaryClicked: dismiss()
    }

    ResultDialog {
        id: modifiedSuccesspopup
        objectName: "modifiedSuccesspopup"
        title: "Device Modified"
        message: "\"" + page.moddevname + "\" has been modified successfully."
        primaryText: "Done"
        secondaryText: "Close"
        function dismiss() {
            close()
            page.showTable()
            mytimer.start()
        }
        onPrimaryClicked: dismiss()
        onSecondaryClicked: dismiss()
    }

    ResultDialog {
        id: failurePopup
        objectName: "failurePopup"
        success: false
        primaryText: "Ok"
        secondaryText: "Close"
        // The list shows what the gateway holds now, whatever became of the change.
        function dismiss() {
            close()
            mytimer.start()
        }
        onPrimaryClicked: dismiss()
        onSecondaryClicked: dismiss()
    }
}
