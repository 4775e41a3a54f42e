import QtQuick
import QtQuick.Controls
import "Palette.js" as Palette

// The dark text field of every form.
TextField {
    // Set by forms that mark a refused value.
    property bool invalid: false
    implicitHeight: 40
    color: "white"
    placeholderTextColor: Palette.placeholder
    selectByMouse: true
    font.pixelSize: 14
    font.family: typeof qcksnd !== "undefined" ? qcksnd.name : font.family
    background: Rectangle {
        radius: 6
        color: Palette.fieldFill
        border.color: parent.invalid ? "red" : (parent.activeFocus ? Palette.accent : Palette.fieldBorder)
        // The focused field stands out for an operator moving with Tab.
        border.width: parent.activeFocus ? 2 : 1
    }
}
