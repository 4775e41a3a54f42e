import QtQuick
import QtQuick.Controls
import "Palette.js" as Palette

// The settings pages' save status: the message in a border of its colour
// (blue while saving, green on success, red on failure), and an "OK" button
// that stays hidden while the message says it is saving. Escape or a click
// outside closes it; "OK" takes the focus as soon as it shows.
ModalPopup {
    id: popup
    property string message
    property color borderColor: Palette.saving
    signal accepted()

    width: 320
    height: 160
    initialFocus: okButton
    anchors.centerIn: Overlay.overlay
    background: Rectangle {
        color: Palette.page
        radius: 10
        border.width: 2
        border.color: popup.borderColor
    }

    Text {
        id: messageText
        anchors { top: parent.top; left: parent.left; right: parent.right; topMargin: 10 }
        text: popup.message
        color: "white"
        font.pixelSize: 18
        font.family: typeof qcksnd !== "undefined" ? qcksnd.name : font.family
        horizontalAlignment: Text.AlignHCenter
        wrapMode: Text.WordWrap
        textFormat: Text.PlainText
    }
    PrimaryButton {
        id: okButton
        objectName: "statusOkButton"
        anchors { horizontalCenter: parent.horizontalCenter; bottom: parent.bottom }
        width: 130
        height: 46
        radius: 23
        text: "OK"
        visible: popup.message.indexOf("Saving") < 0
        onClicked: popup.accepted()
        // The outcome replaces "Saving..." while the popup stays open.
        onVisibleChanged: if (visible && popup.opened) popup.focusInitial()
    }
}
