import QtQuick

// One centred line above a form: red for refusals and failures, white for a
// success note. Text from the gateway is shown as plain text, never markup.
// A new message is scrolled into view: in a long form the button that
// caused it may be far below.
Text {
    id: line
    property bool success: false
    color: success ? "white" : "red"
    font.pixelSize: 14
    font.family: typeof qcksnd !== "undefined" ? qcksnd.name : font.family
    horizontalAlignment: Text.AlignHCenter
    wrapMode: Text.WordWrap
    textFormat: Text.PlainText
    visible: text.length > 0

    onTextChanged: {
        if (line.text.length === 0)
            return
        for (var p = parent; p; p = p.parent) {
            if (typeof p.reveal === "function") {
                // After the layout has made room for the line.
                Qt.callLater(p.reveal, line)
                return
            }
        }
    }
}
