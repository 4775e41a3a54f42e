import QtQuick
import QtQuick.Controls
import "Palette.js" as Palette

// Rounded button with the accent gradient and a bold white label. `danger`
// gives the plain red form used by failure dialogs; `grows` scales it a
// little under the pointer, as dialog buttons do.
Button {
    id: control
    property bool danger: false
    property bool grows: false
    property int radius: 8
    property int fontSize: 15

    implicitWidth: 130
    implicitHeight: 46
    scale: grows && hovered ? 1.03 : 1.0
    font.bold: true
    font.pixelSize: fontSize
    font.family: typeof qcksnd !== "undefined" ? qcksnd.name : font.family
    opacity: enabled ? 1.0 : 0.5

    contentItem: Text {
        text: control.text
        font: control.font
        color: "white"
        horizontalAlignment: Text.AlignHCenter
        verticalAlignment: Text.AlignVCenter
        textFormat: Text.PlainText
        elide: Text.ElideRight
    }
    background: Rectangle {
        radius: control.radius
        color: Palette.danger
        Rectangle {
            anchors.fill: parent
            radius: parent.radius
            visible: !control.danger
            gradient: Gradient {
                GradientStop { position: 0.0; color: Palette.gradientTop }
                GradientStop { position: 1.0; color: Palette.gradientBottom }
            }
        }
    }
    // Enter on a focused button clicks it, as Space does.
    Keys.onReturnPressed: control.clicked()
    Keys.onEnterPressed: control.clicked()
    FocusRing { radius: control.background.radius + 3 }
    HoverHandler { cursorShape: Qt.PointingHandCursor }
}
