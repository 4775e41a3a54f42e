import QtQuick
import QtQuick.Controls
import "Palette.js" as Palette
import "../LogText.js" as LogText

// A read-only, scrolling, word-wrapped view of one of the backend's log
// texts. What the gateway or the broker sent is shown as plain text, never
// as markup. The view follows the newest line, and when the text only grew
// at its end it appends the new part instead of laying out the whole log
// again, so long logs stay cheap.
Rectangle {
    id: root

    // The log text to show (bind it to a `tcpClient` property).
    property string source: ""
    property alias placeholderText: area.placeholderText
    property color areaColor: Palette.card
    property color textColor: "white"
    property int fontSize: 24
    // What the view shows now, for those who check it.
    readonly property alias shownText: area.text
    readonly property alias textArea: area
    readonly property alias flickable: scroller.contentItem

    property string shownSource: ""

    color: Palette.fieldFill
    radius: 6

    function follow() {
        var tail = LogText.appendedPart(shownSource, source)
        if (tail === null)
            area.text = source
        else if (tail.length > 0)
            area.insert(area.length, tail)
        shownSource = source
        area.cursorPosition = area.length
    }

    onSourceChanged: follow()
    Component.onCompleted: follow()

    ScrollView {
        id: scroller
        objectName: "logScroller"
        anchors.fill: parent
        anchors.margins: 4
        clip: true

        TextArea {
            id: area
            objectName: "logArea"
            readOnly: true
            wrapMode: TextEdit.Wrap
            textFormat: TextEdit.PlainText
            color: root.textColor
            placeholderTextColor: Palette.placeholder
            font.family: typeof qcksnd !== "undefined" ? qcksnd.name : font.family
            font.pixelSize: root.fontSize
            background: Rectangle {
                color: root.areaColor
                radius: 6
            }
        }
    }
}
