import QtQuick
import QtQuick.Controls
import "Palette.js" as Palette

// A tick box in the forms' look: a dark box with the accent tick, its text in
// the page font, wrapped when the form is narrow.
CheckBox {
    id: control
    font.pixelSize: 14
    font.family: typeof qcksnd !== "undefined" ? qcksnd.name : font.family

    indicator: Rectangle {
        implicitWidth: 22
        implicitHeight: 22
        x: control.leftPadding
        y: control.topPadding + (control.availableHeight - height) / 2
        radius: 4
        color: Palette.fieldFill
        border.color: control.checked ? Palette.gradientTop : Palette.fieldBorder
        border.width: 2
        opacity: control.enabled ? 1 : 0.5
        Text {
            anchors.centerIn: parent
            text: "✓"
            color: Palette.gradientTop
            font.pixelSize: 16
            font.bold: true
            visible: control.checked
        }
    }
    FocusRing { target: control.indicator; radius: 4 }
    contentItem: Text {
        leftPadding: control.indicator.width + control.spacing
        text: control.text
        font: control.font
        color: control.enabled ? "white" : Palette.caption
        wrapMode: Text.Wrap
        verticalAlignment: Text.AlignVCenter
        textFormat: Text.PlainText
    }
}
