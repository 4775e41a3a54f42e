import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import "Palette.js" as Palette

// A modal yes/no question before an action that interrupts the gateway.
// Closed only by its own buttons; "Yes" emits accepted() after closing. "No"
// has the focus when it opens, so a stray Enter interrupts nothing.
// The buttons are named `namePrefix` + "Yes" and + "No".
ModalPopup {
    id: dialog

    property string title
    property string message
    property string namePrefix
    signal accepted()

    width: 340
    height: 220
    initialFocus: noButton
    closePolicy: Popup.NoAutoClose
    parent: Overlay.overlay
    anchors.centerIn: parent
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
            Layout.fillWidth: true
            text: dialog.title
            color: Palette.accent
            font.bold: true
            font.pixelSize: 22
            font.family: qcksnd.name
            horizontalAlignment: Text.AlignHCenter
        }
        Text {
            Layout.fillWidth: true
            Layout.fillHeight: true
            text: dialog.message
            color: "white"
            font.pixelSize: 16
            font.family: qcksnd.name
            wrapMode: Text.WordWrap
            horizontalAlignment: Text.AlignHCenter
            verticalAlignment: Text.AlignVCenter
        }
        RowLayout {
            Layout.alignment: Qt.AlignHCenter
            spacing: 16
            PrimaryButton {
                objectName: dialog.namePrefix + "Yes"
                implicitWidth: 100
                implicitHeight: 42
                text: "Yes"
                onClicked: {
                    dialog.close()
                    dialog.accepted()
                }
            }
            SecondaryButton {
                id: noButton
                objectName: dialog.namePrefix + "No"
                implicitWidth: 100
                implicitHeight: 42
                labelColor: "white"
                text: "No"
                onClicked: dialog.close()
            }
        }
    }
}
