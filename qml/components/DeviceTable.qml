import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import "Palette.js" as Palette
import "Keyboard.js" as Keyboard

// The gateway's RS-485 devices as a table, one row per record in list order,
// each with its "Edit" and "Delete" words; rows are named by list position,
// as the gateway names them.
ColumnLayout {
    id: table

    property var devices: []
    signal editClicked(int position)
    signal deleteClicked(int position)

    spacing: 6

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
                model: table.captions
                Text {
                    required property int index
                    required property string modelData
                    width: table.unit * (index === 0 ? 1.2 : 1)
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
            model: table.devices
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
                        model: [row.modelData.name, row.modelData.port, row.modelData.autoCRC,
                                row.modelData.poll, row.modelData.cmdHex]
                        // Everything here comes from the gateway: plain text only.
                        Text {
                            required property int index
                            required property var modelData
                            objectName: "cell_" + row.index + "_" + index
                            width: table.unit * (index === 0 ? 1.2 : 1)
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
                            width: table.unit
                            height: row.height
                            leftPadding: 10
                            verticalAlignment: Text.AlignVCenter
                            text: modelData
                            color: Palette.accent
                            font.bold: true
                            font.pixelSize: 20
                            font.family: qcksnd.name
                            activeFocusOnTab: true
                            // A row reached by Tab scrolls into view.
                            onActiveFocusChanged: if (activeFocus)
                                                      deviceRows.positionViewAtIndex(row.index, ListView.Contain)
                            function activate() {
                                if (index === 0)
                                    table.editClicked(row.index)
                                else
                                    table.deleteClicked(row.index)
                            }
                            Keys.onPressed: function(event) {
                                if (Keyboard.activates(event)) {
                                    event.accepted = true
                                    activate()
                                }
                            }
                            FocusRing {
                                anchors.fill: undefined
                                x: parent.leftPadding - 6
                                width: parent.contentWidth + 12
                                height: parent.contentHeight + 8
                                anchors.verticalCenter: parent.verticalCenter
                                anchors.margins: 0
                            }
                            MouseArea {
                                anchors.fill: parent
                                cursorShape: Qt.PointingHandCursor
                                onClicked: parent.activate()
                            }
                        }
                    }
                }
            }
        }

        Column {
            anchors.centerIn: parent
            spacing: 8
            visible: table.devices.length === 0
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
