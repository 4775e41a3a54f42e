import QtQuick
import QtQuick.Layouts
import "Palette.js" as Palette

// A caption above a dark combo box. `box` gives the ComboBox itself.
ColumnLayout {
    property alias caption: captionText.text
    property alias model: input.model
    property alias currentIndex: input.currentIndex
    property alias currentText: input.currentText
    property alias textRole: input.textRole
    property alias box: input
    spacing: 4

    Text {
        id: captionText
        color: Palette.caption
        font.pixelSize: 14
        font.family: typeof qcksnd !== "undefined" ? qcksnd.name : font.family
        textFormat: Text.PlainText
    }
    DarkComboBox {
        id: input
        Layout.fillWidth: true
    }
}
