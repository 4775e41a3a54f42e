import QtQuick
import QtQuick.Controls
import "Palette.js" as Palette

// The dark combo box of every form; its list drops down under it.
ComboBox {
    id: control
    // Forms that want fixed rows in the list, or another hover colour.
    property real rowHeight: 0
    property color rowHighlight: Palette.fieldBorder
    implicitHeight: 40
    font.pixelSize: 14
    font.family: typeof qcksnd !== "undefined" ? qcksnd.name : font.family

    contentItem: Text {
        leftPadding: 10
        text: control.displayText
        font: control.font
        color: "white"
        verticalAlignment: Text.AlignVCenter
        textFormat: Text.PlainText
        elide: Text.ElideRight
    }
    background: Rectangle {
        radius: 6
        color: Palette.fieldFill
        border.color: control.activeFocus ? Palette.accent : Palette.fieldBorder
        border.width: 1
    }
    delegate: ItemDelegate {
        required property int index
        required property var modelData
        width: control.width
        height: control.rowHeight > 0 ? control.rowHeight : implicitHeight
        highlighted: control.highlightedIndex === index
        contentItem: Text {
            text: control.textRole ? modelData[control.textRole] : modelData
            color: "white"
            font: control.font
            textFormat: Text.PlainText
        }
        background: Rectangle { color: highlighted ? control.rowHighlight : Palette.fieldFill }
    }
    popup: Popup {
        y: control.height
        width: control.width
        implicitHeight: Math.min(contentItem.implicitHeight, 240)
        padding: 1
        contentItem: ListView {
            clip: true
            implicitHeight: contentHeight
            model: control.popup.visible ? control.delegateModel : null
            currentIndex: control.highlightedIndex
        }
        background: Rectangle { color: Palette.fieldFill; border.color: Palette.fieldBorder }
    }
}
