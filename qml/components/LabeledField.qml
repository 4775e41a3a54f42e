import QtQuick
import QtQuick.Layouts
import "Palette.js" as Palette

// A caption above a dark text field. `field` gives the TextField itself.
ColumnLayout {
    property alias caption: captionText.text
    property alias captionColor: captionText.color
    property alias text: input.text
    property alias placeholderText: input.placeholderText
    property alias echoMode: input.echoMode
    property alias validator: input.validator
    property alias maximumLength: input.maximumLength
    property alias readOnly: input.readOnly
    property alias field: input
    property alias invalid: input.invalid
    spacing: 4

    Text {
        id: captionText
        color: Palette.caption
        font.pixelSize: 14
        font.family: typeof qcksnd !== "undefined" ? qcksnd.name : font.family
        textFormat: Text.PlainText
    }
    DarkTextField {
        id: input
        Layout.fillWidth: true
    }
}
