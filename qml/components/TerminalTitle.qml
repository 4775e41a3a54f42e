import QtQuick
import QtQuick.Layouts

// The heading of one view of a test terminal's left panel.
Text {
    Layout.alignment: Qt.AlignHCenter
    color: "white"
    font.bold: true
    font.pixelSize: 22
    font.family: typeof qcksnd !== "undefined" ? qcksnd.name : font.family
}
