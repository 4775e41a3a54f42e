import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import "components"
import "components/Palette.js" as Palette
import "HexUtils.js" as HexUtils
import "DeviceForm.js" as DeviceForm

// The RS-485 devices the gateway polls, with their edit form and deletion.
// Devices are named towards the gateway by their position in the list.
Rectangle {
    id: page
    color: Palette.page

    property string devname: ""
    property int delindex: -1
    property int editindex: -1
    property string moddevname: ""
    readonly property bool deletingDevice: operation.kind === "delete"
    readonly property bool modifyingDevice: operation.kind === "modify"
    readonly property int port: 8881
    property alias listTimer: listTimer
    property alias operation: operation
    readonly property bool editing: editForm.visible

    function ensureConnection(ip, wantedPort) {
        if (!tcpClient.connected) {
            tcpClient.connectToDevice(ip, wantedPort)
        } else if (tcpClient.currentPort !== wantedPort) {
            tcpClient.disconnectFromDevice()
            tcpClient.connectToDevice(ip, wantedPort)
        }
        listTimer.start()
    }

    function showTable() {
        editForm.visible = false
        headingtext.text = "Available RS485 Devices"
    }

    function startEdit(position) {
        var record = tcpClient.deviceList[position]
        if (!record)
            return
        editindex = position
        editMessage.text = ""
        hexField.text = String(record.cmdHex)
        crcBox.currentIndex = DeviceForm.indexOfValue(DeviceForm.crcEntries, Number(record.autoCRC))
        portBox.currentIndex = DeviceForm.indexOfValue(DeviceForm.portEntries,
                                                       DeviceForm.portNumber(record.port))
        secondsField.text = DeviceForm.secondsFromPoll(record.poll)
        nameField.text = String(record.name)
        headingtext.text = "Modify RS485 Device"
        editForm.visible = true
    }

    function saveChanges() {
        if (operation.pending)
            return
        var values = DeviceForm.check(hexField.text, secondsField.text, nameField.text)
        if (values.error) {
            editMessage.text = values.error
            return
        }
        editMessage.text = ""
        moddevname = values.name
        operation.start(DeviceForm.modifyCommand(editindex,
                                                 DeviceForm.portEntries[portBox.currentIndex].value,
                                                 DeviceForm.crcEntries[crcBox.currentIndex].value,
                                                 values), "modify")
    }

    function askDelete(position) {
        var record = tcpClient.deviceList[position]
        if (!record || operation.pending)
            return
        devname = String(record.name)
        delindex = position
        deleteField.text = ""
        deletePopup.open()
    }

    Timer {
        id: listTimer
        interval: 1000
        onTriggered: tcpClient.sendCommand("GET rs485list")
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

    Connections {
        target: tcpClient
        function onConnectedChanged() {
            if (tcpClient.connected)
                listTimer.start()
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
                    text: "Detected meters and communication details"
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
                    text: "Total : " + tcpClient.deviceList.length
                    color: "white"
                    font.bold: true
                    font.pixelSize: 15
                    font.family: qcksnd.name
                }
            }
        }

        Rectangle {
            Layout.fillWidth: true
            Layout.fillHeight: true
            color: Palette.card
            radius: 14
            border.color: "#3d566e"

            // Table view.
            ColumnLayout {
                id: deviceTable
                objectName: "deviceTable"
                anchors.fill: parent
                anchors.margins: 12
                spacing: 6
                visible: !editForm.visible

                // The first column is 1.2 times as wide as each of the six others.
                readonly property real unit: width / 7.2
                readonly property var captions: ["Device Name", "Port", "Auto CRC", "Poll Seconds",
                                                 "Command hex", "Edit", "Delete"]

                Rectangle {
                    Layout.fillWidth: true
                    Layout.preferredHeight: 52
                    color: "#1f2d3a"
                    radius: 6
                    Row {
                        anchors.fill: parent
                        Repeater {
                            model: deviceTable.captions
                            Text {
                                required property int index
                                required property string modelData
                                width: deviceTable.unit * (index === 0 ? 1.2 : 1)
                                height: parent.height
                                leftPadding: 10
                                verticalAlignment: Text.AlignVCenter
                                text: modelData
                                color: Palette.accent
                                font.pixelSize: 14
                                font.bold: true
                                font.family: qcksnd.name
                            }
                        }
                    }
                }

                Item {
                    Layout.fillWidth: true
                    Layout.fillHeight: true

                    ListView {
                        id: deviceRows
                        objectName: "deviceRows"
                        anchors.fill: parent
                        clip: true
                        spacing: 4
                        model: tcpClient.deviceList
                        boundsBehavior: Flickable.StopAtBounds
                        ScrollBar.vertical: ScrollBar {}
                        delegate: Rectangle {
                            id: row
                            required property int index
                            required property var modelData
                            objectName: "deviceRow_" + index
                            width: deviceRows.width
                            height: 58
                            radius: 6
                            color: index % 2 === 0 ? "#304456" : "#2a3c4d"

                            Row {
                                anchors.fill: parent
                                Repeater {
                                    model: [row.modelData.name, row.modelData.port,
                                            row.modelData.autoCRC, row.modelData.poll,
                                            row.modelData.cmdHex]
                                    // Everything here comes from the gateway: plain text only.
                                    Text {
                                        required property int index
                                        required property var modelData
                                        objectName: "cell_" + row.index + "_" + index
                                        width: deviceTable.unit * (index === 0 ? 1.2 : 1)
                                        height: row.height
                                        leftPadding: 10
                                        rightPadding: 6
                                        verticalAlignment: Text.AlignVCenter
                                        text: modelData === undefined ? "" : String(modelData)
                                        textFormat: Text.PlainText
                                        elide: Text.ElideRight
                                        color: index === 0 ? "white" : "#d6e4f0"
                                        font.pixelSize: 20
                                        font.family: qcksnd.name
                                    }
                                }
                                Repeater {
                                    model: ["Edit", "Delete"]
                                    Text {
                                        required property int index
                                        required property string modelData
                                        objectName: (index === 0 ? "editButton_" : "deleteButton_") + row.index
                                        width: deviceTable.unit
                                        height: row.height
                                        leftPadding: 10
                                        verticalAlignment: Text.AlignVCenter
                                        text: modelData
                                        color: Palette.accent
                                        font.bold: true
                                        font.pixelSize: 20
                                        font.family: qcksnd.name
                                        MouseArea {
                                            anchors.fill: parent
                                            cursorShape: Qt.PointingHandCursor
                                            onClicked: index === 0 ? page.startEdit(row.index)
                                                                   : page.askDelete(row.index)
                                        }
                                    }
                                }
                            }
                        }
                    }

                    Column {
                        anchors.centerIn: parent
                        spacing: 8
                        visible: tcpClient.deviceList.length === 0
                        Text {
                            objectName: "noDevicesText"
                            anchors.horizontalCenter: parent.horizontalCenter
                            text: "No Devices Found"
                            color: "#9fb3c8"
                            font.bold: true
                            font.pixelSize: 24
                            font.family: qcksnd.name
                        }
                        Text {
                            anchors.horizontalCenter: parent.horizontalCenter
                            text: "Waiting for RS485 device list..."
                            color: "#6f8599"
                            font.pixelSize: 14
                            font.family: qcksnd.name
                        }
                    }
                }
            }

            // Edit form.
            ScrollForm {
                id: editForm
                objectName: "editForm"
                visible: false
                anchors.fill: parent
                anchors.margins: 20

                MessageLine {
                    id: editMessage
                    objectName: "editMessage"
                    Layout.fillWidth: true
                }
                LabeledComboBox {
                    id: portBox
                    objectName: "editPort"
                    Layout.fillWidth: true
                    caption: "Port"
                    textRole: "text"
                    model: DeviceForm.portEntries
                }
                LabeledComboBox {
                    id: crcBox
                    objectName: "editCrc"
                    Layout.fillWidth: true
                    caption: "CRC (Auto/Manual)"
                    textRole: "text"
                    model: DeviceForm.crcEntries
                }
                LabeledField {
                    id: hexField
                    objectName: "editHex"
                    Layout.fillWidth: true
                    caption: "Hex Command"
                    placeholderText: "1"
                }
                LabeledField {
                    id: secondsField
                    objectName: "editSeconds"
                    Layout.fillWidth: true
                    caption: "Seconds"
                    placeholderText: "seconds"
                }
                LabeledField {
                    id: nameField
                    objectName: "editName"
                    Layout.fillWidth: true
                    caption: "Name"
                    placeholderText: "Device name"
                }
                RowLayout {
                    Layout.alignment: Qt.AlignRight
                    Layout.topMargin: 8
                    spacing: 12
                    PrimaryButton {
                        objectName: "editSave"
                        Layout.preferredWidth: 160
                        Layout.preferredHeight: 42
                        radius: 21
                        text: "Save changes"
                        onClicked: page.saveChanges()
                    }
                    SecondaryButton {
                        objectName: "editBack"
                        Layout.preferredWidth: 120
                        Layout.preferredHeight: 42
                        radius: 21
                        fontSize: 14
                        text: "Back"
                        onClicked: page.showTable()
                    }
                }
            }
        }
    }

    BusyOverlay {
        objectName: "busyOverlay"
        visible: page.deletingDevice || page.modifyingDevice
    }

    Popup {
        id: deletePopup
        objectName: "deletePopup"
        width: 380
        height: 320
        modal: true
        closePolicy: Popup.NoAutoClose
        anchors.centerIn: Overlay.overlay
        background: Rectangle {
            color: Palette.page
            radius: 12
            border.width: 1.5
            border.color: Palette.accent
        }
        readonly property bool armed: deleteField.text === "DELETE"

        ColumnLayout {
            anchors.fill: parent
            spacing: 14
            Text {
                Layout.alignment: Qt.AlignHCenter
                text: "Delete Confirmation"
                color: Palette.accent
                font.bold: true
                font.pixelSize: 24
                font.family: qcksnd.name
            }
            Text {
                objectName: "deletePrompt"
                Layout.fillWidth: true
                text: "To delete \"" + page.devname + "\", type DELETE below."
                textFormat: Text.PlainText
                color: "white"
                font.pixelSize: 16
                font.family: qcksnd.name
                wrapMode: Text.WordWrap
                horizontalAlignment: Text.AlignHCenter
            }
            DarkTextField {
                id: deleteField
                objectName: "deleteConfirmField"
                Layout.fillWidth: true
                placeholderText: "Type DELETE"
            }
            RowLayout {
                Layout.alignment: Qt.AlignHCenter
                spacing: 16
                Button {
                    id: deleteButton
                    objectName: "deleteConfirmButton"
                    readonly property bool armed: deletePopup.armed
                    implicitWidth: 120
                    implicitHeight: 42
                    text: "Delete"
                    contentItem: Text {
                        text: deleteButton.text
                        color: "white"
                        font.bold: true
                        font.pixelSize: 15
                        font.family: qcksnd.name
                        horizontalAlignment: Text.AlignHCenter
                        verticalAlignment: Text.AlignVCenter
                    }
                    background: Rectangle {
                        radius: 8
                        color: deleteButton.armed ? "#a93226" : "#555555"
                        border.color: deleteButton.armed ? "#ff7665" : "#777777"
                    }
                    HoverHandler { cursorShape: deleteButton.armed ? Qt.PointingHandCursor : Qt.ArrowCursor }
                    onClicked: {
                        if (!armed)
                            return
                        operation.start(DeviceForm.deleteCommand(page.delindex), "delete")
                        deleteField.text = ""
                        deletePopup.close()
                    }
                }
                SecondaryButton {
                    objectName: "deleteCancelButton"
                    implicitWidth: 120
                    implicitHeight: 42
                    text: "Cancel"
                    onClicked: {
                        deleteField.text = ""
                        deletePopup.close()
                    }
                }
            }
        }
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
            listTimer.start()
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
            listTimer.start()
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
            listTimer.start()
        }
        onPrimaryClicked: dismiss()
        onSecondaryClicked: dismiss()
    }

    Component.onCompleted: ensureConnection(currentdeviceIP, port)
    Component.onDestruction: {
        if (tcpClient.connected && tcpClient.currentPort === port)
            tcpClient.disconnectFromDevice()
    }
}
