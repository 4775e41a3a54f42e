import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import "Palette.js" as Palette

// Asks the operator to type DELETE before a device is removed from the
// gateway: a slip of the mouse must not cost a configured meter. The field
// has the focus when it opens; Enter there deletes once the word is typed.
ModalPopup {
    id: dialog

    property string deviceName: ""
    readonly property bool armed: deleteTextField.text === "DELETE"
    signal confirmed()

    function dismiss() {
        deleteTextField.text = ""
        close()
    }

    width: 380
    height: 320
    initialFocus: deleteTextField
    closePolicy: Popup.NoAutoClose
    anchors.centerIn: Overlay.overlay
    background: Rectangle {
        color: Palette.page
        radius: 12
        border.width: 1.5
        border.color: Palette.accent
    }

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
            text: "To delete \"" + dialog.deviceName + "\", type DELETE below."
            textFormat: Text.PlainText
            color: "white"
            font.pixelSize: 16
            font.family: qcksnd.name
            wrapMode: Text.WordWrap
            horizontalAlignment: Text.AlignHCenter
        }
        DarkTextField {
            id: deleteTextField
            objectName: "deleteTextField"
            Layout.fillWidth: true
            placeholderText: "Type DELETE"
            onAccepted: deleteButton.clicked()
        }
        RowLayout {
            Layout.alignment: Qt.AlignHCenter
            spacing: 16
            Button {
                id: deleteButton
                objectName: "deleteConfirmButton"
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
                    color: !dialog.armed ? "#555555" : (deleteButton.hovered ? "#c0392b" : "#a93226")
                    border.color: dialog.armed ? "#ff7665" : "#777777"
                }
                Keys.onReturnPressed: clicked()
                Keys.onEnterPressed: clicked()
                FocusRing { radius: 11 }
                HoverHandler { cursorShape: dialog.armed ? Qt.PointingHandCursor : Qt.ArrowCursor }
                onClicked: {
                    if (!dialog.armed)
                        return
                    dialog.confirmed()
                    dialog.dismiss()
                }
            }
            SecondaryButton {
                objectName: "deleteCancelButton"
                implicitWidth: 120
                implicitHeight: 42
                text: "Cancel"
                onClicked: dialog.dismiss()
            }
        }
    }
}
