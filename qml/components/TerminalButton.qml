import QtQuick
import QtQuick.Controls

// A rounded button of the test terminals: the accent gradient with a dark
// label. A button whose action needs the direct link is given
// `available: tcpClient.connected`; without the link it turns grey and
// ignores clicks.
Button {
    id: control
    property bool available: true

    enabled: available
    implicitWidth: 200
    implicitHeight: 40
    font.pixelSize: 14
    font.bold: true
    font.family: typeof qcksnd !== "undefined" ? qcksnd.name : font.family

    contentItem: Text {
        text: control.text
        font: control.font
        color: "#0F1D35"
        horizontalAlignment: Text.AlignHCenter
        verticalAlignment: Text.AlignVCenter
        textFormat: Text.PlainText
        elide: Text.ElideRight
    }
    background: Rectangle {
        radius: height / 2
        color: "grey"
        Rectangle {
            anchors.fill: parent
            radius: parent.radius
            visible: control.enabled
            gradient: Gradient {
                GradientStop { position: 0.0; color: "#6FE7E7" }
                GradientStop { position: 1.0; color: "#4CAF93" }
            }
        }
    }
    // Enter on a focused button clicks it, as Space does.
    Keys.onReturnPressed: control.clicked()
    Keys.onEnterPressed: control.clicked()
    FocusRing { radius: control.background.radius + 3 }
    HoverHandler {
        enabled: control.enabled
        cursorShape: Qt.PointingHandCursor
    }
}
