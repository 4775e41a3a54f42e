import QtQuick
import QtQuick.Layouts
import "Palette.js" as Palette

// The page title above the rounded card that holds a page's content. Items
// declared inside go into the card.
Item {
    id: root
    property alias title: titleText.text
    default property alias content: cardBody.data
    // Items drawn over the card's content area at full opacity, placed in
    // the same coordinates as the content. The card draws what it holds
    // translucent, and the software renderer draws translucent text a
    // pixel at a time: a view redrawn a dozen times a second goes here, in
    // colours passed through Palette.throughCard so that it looks the same.
    property alias opaqueContent: opaqueBody.data
    property alias card: cardRect

    Text {
        id: titleText
        anchors { top: parent.top; left: parent.left; right: parent.right; margins: 20 }
        color: "white"
        font.bold: true
        font.pixelSize: 24
        font.family: typeof qcksnd !== "undefined" ? qcksnd.name : font.family
        textFormat: Text.PlainText
    }
    Rectangle {
        id: cardRect
        anchors {
            top: titleText.bottom; left: parent.left; right: parent.right; bottom: parent.bottom
            margins: 20
        }
        radius: 12
        color: Palette.card
        opacity: Palette.cardOpacity
        Item {
            id: cardBody
            anchors.fill: parent
            anchors.margins: 20
        }
    }
    Item {
        id: opaqueBody
        x: cardRect.x + cardBody.x
        y: cardRect.y + cardBody.y
        width: cardBody.width
        height: cardBody.height
    }
}
