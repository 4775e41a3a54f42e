import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import "Palette.js" as Palette

// The modal outcome dialog: a round mark, a title, a message and two buttons.
// Closed only by its own buttons; the primary one has the focus when it opens.
ModalPopup {
    id: dialog
    property bool success: true
    property string title
    property string message
    property string primaryText: "OK"
    property string secondaryText: "Close"
    signal primaryClicked()
    signal secondaryClicked()

    width: 380
    height: 280
    initialFocus: primaryButton
    closePolicy: Popup.NoAutoClose
    anchors.centerIn: Overlay.overlay
    background: Rectangle { color: Palette.page; radius: 12; border.color: Palette.fieldBorder }

    contentItem: ColumnLayout {
        spacing: 10
        Rectangle {
            Layout.alignment: Qt.AlignHCenter
            width: 56; height: 56; radius: 28
            color: dialog.success ? Palette.success : Palette.danger
            Text {
                anchors.centerIn: parent
                text: dialog.success ? "✓" : "X"
                color: "white"
                font.pixelSize: 28
                font.bold: true
            }
        }
        Text {
            Layout.fillWidth: true
            text: dialog.title
            color: "white"
            font.bold: true
            font.pixelSize: 20
            horizontalAlignment: Text.AlignHCenter
            textFormat: Text.PlainText
        }
        Text {
            Layout.fillWidth: true
            Layout.fillHeight: true
            text: dialog.message
            color: "#B8C7D9"
            font.pixelSize: 14
            wrapMode: Text.WordWrap
            horizontalAlignment: Text.AlignHCenter
            textFormat: Text.PlainText
        }
        RowLayout {
            Layout.alignment: Qt.AlignHCenter
            spacing: 12
            PrimaryButton {
                id: primaryButton
                objectName: dialog.objectName + "Primary"
                text: dialog.primaryText
                danger: !dialog.success
                grows: true
                onClicked: dialog.primaryClicked()
            }
            SecondaryButton {
                objectName: dialog.objectName + "Secondary"
                text: dialog.secondaryText
                fill: "#394B5D"
                labelColor: "#D7E3F0"
                grows: true
                visible: text.length > 0
                onClicked: dialog.secondaryClicked()
            }
        }
    }
}
