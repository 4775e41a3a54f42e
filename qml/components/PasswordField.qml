import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import "Palette.js" as Palette

// A caption with a "Show Password" check box beside it, above a masked
// field that the check box shows in clear.
ColumnLayout {
    property alias caption: captionText.text
    property alias text: input.text
    property alias placeholderText: input.placeholderText
    property alias field: input
    property alias shown: showBox.checked
    spacing: 4

    RowLayout {
        spacing: 12
        Text {
            id: captionText
            color: Palette.caption
            font.pixelSize: 14
            font.family: typeof qcksnd !== "undefined" ? qcksnd.name : font.family
            textFormat: Text.PlainText
        }
        CheckBox {
            id: showBox
            objectName: "showPassword"
            checked: false
            text: "Show Password"
            contentItem: Text {
                leftPadding: showBox.indicator.width + showBox.spacing
                text: showBox.text
                color: Palette.caption
                font.pixelSize: 14
                font.family: typeof qcksnd !== "undefined" ? qcksnd.name : font.family
                verticalAlignment: Text.AlignVCenter
            }
        }
    }
    DarkTextField {
        id: input
        Layout.fillWidth: true
        font.pixelSize: 16
        echoMode: showBox.checked ? TextInput.Normal : TextInput.Password
    }
}
