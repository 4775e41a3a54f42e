import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import "Palette.js" as Palette
import "Keyboard.js" as Keyboard

// The look both side menus share: group captions, outlined entries with the
// current page's entry filled, and the identity and session status pinned
// below them. Items declared inside go at the bottom (the reboot button).
Rectangle {
    id: menu

    // Each entry: { caption, label, head, ... }; the mode's menu gives the
    // rest. An entry with `about: true` opens the About dialog instead.
    property var entries: []
    // The header text of the page shown: the entry that carries it is active.
    property string currentHead
    property bool linkConnected: false
    default property alias bottomItems: bottomArea.data

    signal entryClicked(var entry)
    // The status line asks for the details of the link behind it.
    signal statusClicked()

    color: Palette.window
    implicitWidth: 220

    ColumnLayout {
        anchors.fill: parent
        anchors.bottomMargin: 10
        spacing: 0

        Item { Layout.preferredHeight: Math.min(menu.height / 15, 30) }

        ListView {
            id: entryList
            objectName: "entryList"
            Layout.fillWidth: true
            Layout.fillHeight: true
            clip: true
            spacing: 6
            model: menu.entries
            ScrollBar.vertical: ScrollBar { policy: ScrollBar.AsNeeded }
            delegate: Column {
                required property int index
                required property var modelData
                width: entryList.width
                spacing: 4
                Text {
                    visible: modelData.caption.length > 0
                    x: entryList.width * 0.06
                    text: modelData.caption
                    color: "#f6e599"
                    font.bold: true
                    font.pixelSize: 11
                    font.family: qcksnd.name
                    topPadding: 6
                }
                Rectangle {
                    readonly property bool active: menu.currentHead === modelData.head
                    objectName: "menuEntry_" + modelData.label
                    anchors.horizontalCenter: parent.horizontalCenter
                    width: entryList.width * 0.88
                    height: 32
                    radius: 5
                    border.width: 1
                    border.color: Palette.accent
                    color: active ? Palette.accent : "transparent"
                    activeFocusOnTab: true
                    onActiveFocusChanged: if (activeFocus)
                                              entryList.positionViewAtIndex(index, ListView.Contain)
                    Keys.onPressed: function(event) {
                        if (Keyboard.activates(event)) {
                            event.accepted = true
                            menu.entryClicked(modelData)
                        }
                    }
                    FocusRing { radius: 8 }
                    Text {
                        anchors.left: parent.left
                        anchors.leftMargin: 10
                        anchors.verticalCenter: parent.verticalCenter
                        text: modelData.label
                        color: parent.active ? Palette.window : Palette.accent
                        font.pixelSize: 16
                        font.family: qcksnd.name
                    }
                    MouseArea {
                        anchors.fill: parent
                        cursorShape: Qt.PointingHandCursor
                        onClicked: modelData.about ? aboutDialog.open() : menu.entryClicked(modelData)
                    }
                }
            }
        }

        // Pinned below the entries, which scroll when the window is short:
        // which gateway and whether its link is up stay in view.
        Column {
            objectName: "linkInfo"
            Layout.fillWidth: true
            Layout.bottomMargin: 8
            topPadding: 10
            spacing: 2
            Text {
                anchors.horizontalCenter: parent.horizontalCenter
                height: 16
                text: ipSelected ? "Device IP" : (idSelected ? "Device ID" : "")
                color: "#a8e6a8"
                font.pixelSize: 16
                font.family: qcksnd.name
            }
            Text {
                objectName: "identity"
                anchors.horizontalCenter: parent.horizontalCenter
                height: 16
                text: ipSelected ? currentdeviceIP : (idSelected ? currentDeviceId : "")
                color: "white"
                font.pixelSize: 13
                font.family: qcksnd.name
                textFormat: Text.PlainText
            }
            Item { width: 1; height: 8 }
            Text {
                anchors.horizontalCenter: parent.horizontalCenter
                height: 16
                text: "Status"
                color: "#a8e6a8"
                font.pixelSize: 16
                font.family: qcksnd.name
            }
            Text {
                objectName: "linkStatus"
                anchors.horizontalCenter: parent.horizontalCenter
                height: 16
                text: menu.linkConnected ? "Connected" : "Not Connected"
                color: "white"
                font.pixelSize: 13
                font.family: qcksnd.name
                MouseArea {
                    anchors.fill: parent
                    cursorShape: Qt.PointingHandCursor
                    onClicked: menu.statusClicked()
                }
            }
        }

        ColumnLayout {
            id: bottomArea
            Layout.fillWidth: true
            Layout.fillHeight: false // a nested layout would take half the height
            Layout.preferredWidth: menu.width
            spacing: 0
        }
    }

    AboutDialog {
        id: aboutDialog
        objectName: "aboutDialog"
    }
}
