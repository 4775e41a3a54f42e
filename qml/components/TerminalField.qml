import QtQuick
import QtQuick.Layouts

// A caption above a dark text field, in the test terminals' left panel.
ColumnLayout {
    property alias caption: captionText.text
    property alias text: input.text
    property alias placeholderText: input.placeholderText
    property alias field: input
    spacing: 4

    Text {
        id: captionText
        color: "white"
        font.pixelSize: 14
        font.family: typeof qcksnd !== "undefined" ? qcksnd.name : font.family
        textFormat: Text.PlainText
    }
    DarkTextField {
        id: input
        Layout.fillWidth: true
    }
}
