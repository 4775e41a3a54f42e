import QtQuick
import QtQuick.Controls
import "Palette.js" as Palette

// One of the exclusive section choices above a settings form.
RadioButton {
    id: control
    font.pixelSize: 25
    font.family: typeof qcksnd !== "undefined" ? qcksnd.name : font.family

    indicator: Rectangle {
        implicitWidth: 24
        implicitHeight: 24
        x: control.leftPadding
        y: (control.height - height) / 2
        radius: 12
        color: "transparent"
        border.color: Palette.gradientTop
        border.width: 2
        Rectangle {
            anchors.centerIn: parent
            width: 12
            height: 12
            radius: 6
            color: Palette.gradientTop
            visible: control.checked
        }
    }
    FocusRing { radius: 8 }
    contentItem: Text {
        leftPadding: control.indicator.width + control.spacing
        text: control.text
        font: control.font
        color: "white"
        verticalAlignment: Text.AlignVCenter
        textFormat: Text.PlainText
    }
}
