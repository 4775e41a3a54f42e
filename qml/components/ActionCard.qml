import QtQuick
import "Keyboard.js" as Keyboard

// A large clickable card for one gateway action: its icon, title and
// subtitle in white on a vertical gradient. It grows a little and its border
// turns white under the pointer.
Rectangle {
    id: card

    property string icon
    property string title
    property string subtitle
    property color firstColor
    property color secondColor
    readonly property alias hovered: hover.hovered

    signal clicked()

    radius: 16
    border.width: 2
    border.color: hovered || activeFocus ? "white" : "transparent"
    activeFocusOnTab: true
    Keys.onPressed: function(event) {
        if (Keyboard.activates(event)) {
            event.accepted = true
            card.clicked()
        }
    }
    scale: hovered ? 1.04 : 1.0
    gradient: Gradient {
        GradientStop { position: 0.0; color: card.firstColor }
        GradientStop { position: 1.0; color: card.secondColor }
    }

    Behavior on scale { NumberAnimation { duration: 120 } }

    Column {
        anchors.centerIn: parent
        width: parent.width - 24
        spacing: 8
        Text {
            width: parent.width
            text: card.icon
            color: "white"
            font.pixelSize: Math.max(24, Math.min(56, card.height * 0.25))
            horizontalAlignment: Text.AlignHCenter
            textFormat: Text.PlainText
        }
        Text {
            width: parent.width
            text: card.title
            color: "white"
            font.bold: true
            font.pixelSize: Math.max(16, Math.min(26, card.height * 0.12))
            font.family: typeof qcksnd !== "undefined" ? qcksnd.name : font.family
            horizontalAlignment: Text.AlignHCenter
            elide: Text.ElideRight
            textFormat: Text.PlainText
        }
        Text {
            width: parent.width
            text: card.subtitle
            color: "white"
            font.pixelSize: Math.max(12, Math.min(16, card.height * 0.08))
            font.family: typeof qcksnd !== "undefined" ? qcksnd.name : font.family
            horizontalAlignment: Text.AlignHCenter
            elide: Text.ElideRight
            textFormat: Text.PlainText
        }
    }

    HoverHandler { id: hover; cursorShape: Qt.PointingHandCursor }
    MouseArea { anchors.fill: parent; onClicked: card.clicked() }
}
