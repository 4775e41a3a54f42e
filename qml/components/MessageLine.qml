import QtQuick

// One centred line above a form: red for refusals and failures, white for a
// success note. Text from the gateway is shown as plain text, never markup.
Text {
    property bool success: false
    color: success ? "white" : "red"
    font.pixelSize: 14
    font.family: typeof qcksnd !== "undefined" ? qcksnd.name : font.family
    horizontalAlignment: Text.AlignHCenter
    wrapMode: Text.WordWrap
    textFormat: Text.PlainText
    visible: text.length > 0
}
