import QtQuick
import QtQuick.Controls
import "Palette.js" as Palette
import "Keyboard.js" as Keyboard

// The dark combo box of every form; its list drops down under it. Enter with
// the list closed does what the enclosing form's primary button does.
ComboBox {
    id: control
    // Forms that want fixed rows in the list, or another hover colour.
    property real rowHeight: 0
    property color rowHighlight: Palette.fieldBorder
    implicitHeight: 40
    font.pixelSize: 14
    font.family: typeof qcksnd !== "undefined" ? qcksnd.name : font.family

    Keys.onPressed: function(event) {
        var form = Keyboard.submits(event) && !popup.visible ? Keyboard.enclosingForm(control) : null
        if (form) {
            event.accepted = true
            form.submit()
        } else {
            event.accepted = false
        }
    }

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
        border.width: control.activeFocus ? 2 : 1
    }
    delegate: ItemDelegate {
        required property int index
        required property var modelData
        width: control.width
        height: control.rowHeight > 0 ? control.rowHeight : implicitHeight
        // A fixed row keeps its text centred rather than pushed down by the
        // delegate's own padding, which would cut it off.
        topPadding: control.rowHeight > 0 ? 0 : 8
        bottomPadding: topPadding
        leftPadding: 10
        highlighted: control.highlightedIndex === index
        contentItem: Text {
            text: control.textRole ? modelData[control.textRole] : modelData
            color: "white"
            font: control.font
            verticalAlignment: Text.AlignVCenter
            elide: Text.ElideRight
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
