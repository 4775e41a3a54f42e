import QtQuick
import QtQuick.Layouts

// A settings form's message line: the page's own message, or else, once the
// page's read of the gateway went unanswered, that it did, with a button
// that reads again.
ColumnLayout {
    id: block
    property Item saver
    property string message
    readonly property alias text: line.text
    readonly property alias color: line.color
    Layout.fillWidth: true
    spacing: 6

    MessageLine {
        id: line
        Layout.fillWidth: true
        text: block.message || (block.saver && block.saver.readFailed ? block.saver.noAnswerText : "")
        font.pixelSize: Math.max(12, Math.min(22, width * 0.13))
    }
    SecondaryButton {
        objectName: "readAgainButton"
        Layout.alignment: Qt.AlignHCenter
        visible: block.saver !== null && block.saver.readFailed
        implicitHeight: 36
        text: "Read again"
        onClicked: block.saver.readAgain()
    }
}
