import QtQuick
import QtQuick.Controls
import "Palette.js" as Palette

// Rounded button in the card's quieter colours.
Button {
    id: control
    property color fill: "#3a5068"
    property color labelColor: Palette.caption
    property bool grows: false
    property int radius: 8
    property int fontSize: 15

    implicitWidth: 130
    implicitHeight: 46
    scale: grows && hovered ? 1.03 : 1.0
    font.pixelSize: fontSize
    font.family: typeof qcksnd !== "undefined" ? qcksnd.name : font.family

    contentItem: Text {
        text: control.text
        font: control.font
        color: control.labelColor
        horizontalAlignment: Text.AlignHCenter
        verticalAlignment: Text.AlignVCenter
        textFormat: Text.PlainText
        elide: Text.ElideRight
    }
    background: Rectangle {
        radius: control.radius
        color: control.fill
    }
    // Enter on a focused button clicks it, as Space does.
    Keys.onReturnPressed: control.clicked()
    Keys.onEnterPressed: control.clicked()
    FocusRing { radius: control.background.radius + 3 }
    HoverHandler { cursorShape: Qt.PointingHandCursor }
}
