import QtQuick
import QtQuick.Controls
import "Palette.js" as Palette

// A scrolling view of one of the backend's logs, a row per line (bind
// `lines` to a `tcpClient` log store). Only the lines on screen are laid out,
// so a log costs the same to show at any length, and the store hands it new
// lines a dozen times a second however fast they come. The view follows the
// newest line unless the operator has scrolled up; scrolling back to the end
// follows again. What the gateway or the broker sent is shown as plain text,
// never as markup. While the view stands still (paused, or scrolled up) each
// line can be selected with the mouse and copied.
Rectangle {
    id: root

    property var lines: null
    property string placeholderText: ""
    property color areaColor: Palette.card
    property color textColor: "white"
    property color placeholderColor: Palette.placeholder
    property color selectionColor: Palette.accent
    property int fontSize: 24
    // Shows each line's arrival time before it.
    property bool showTime: false
    readonly property alias listView: list
    // False while the operator looks at older lines.
    readonly property alias following: list.following
    // Rows are selectable text only while they stand still: a selectable
    // row costs a good deal more to lay out and draw than plain text, and a
    // followed log replaces every row on screen a dozen times a second.
    readonly property bool selectable: !list.following || (lines !== null && lines.paused === true)

    color: Palette.fieldFill
    radius: 6

    Rectangle {
        anchors.fill: parent
        anchors.margins: 4
        color: root.areaColor
        radius: 6

        Text {
            objectName: "logPlaceholder"
            anchors.fill: parent
            anchors.margins: 6
            visible: list.count === 0
            text: root.placeholderText
            textFormat: Text.PlainText
            wrapMode: Text.Wrap
            color: root.placeholderColor
            font.family: list.fontFamily
            font.pixelSize: root.fontSize
        }

        ListView {
            id: list
            objectName: "logList"

            // Only the operator's scrolling decides whether the view
            // follows: it stops while they drag, flick, wheel or hold the
            // scroll bar, and follows again if they leave it at the end.
            property bool following: true
            property bool positioning: false
            readonly property string fontFamily: typeof qcksnd !== "undefined" ? qcksnd.name : ""

            function toEnd() {
                if (!following || positioning || count === 0)
                    return
                positioning = true
                // The end is estimated from the lines laid out so far; when
                // the newest lines turn out taller, lay out the newest itself.
                positionViewAtEnd()
                if (!atNewest())
                    positionViewAtIndex(count - 1, ListView.End)
                positioning = false
            }
            // The newest line is on screen, at the bottom.
            function atNewest() {
                var newest = itemAtIndex(count - 1)
                return count === 0 || (newest !== null && newest.y + newest.height <= contentY + height + 1)
            }
            function operatorLetGo() { following = atNewest() }

            anchors.fill: parent
            anchors.margins: 6
            clip: true
            // Following the newest line replaces every row on screen with
            // each batch; rows laid out ahead beyond the edges would only be
            // thrown away.
            cacheBuffer: 0
            model: root.lines
            reuseItems: true
            boundsBehavior: Flickable.StopAtBounds

            onCountChanged: toEnd()
            onHeightChanged: toEnd()
            onContentHeightChanged: toEnd()
            onMovementStarted: following = false
            onMovementEnded: operatorLetGo()
            Component.onCompleted: {
                // Coming back to a page: show what the log holds now, not
                // the lines the last batch still had.
                if (root.lines)
                    root.lines.flush()
                toEnd()
            }

            ScrollBar.vertical: ScrollBar {
                policy: ScrollBar.AsNeeded
                onPressedChanged: pressed ? list.following = false : list.operatorLetGo()
            }

            delegate: Item {
                id: row
                readonly property alias text: label.text
                readonly property alias textFormat: label.textFormat
                readonly property alias selectable: editor.active

                width: ListView.view.width
                height: label.height

                Text {
                    id: label
                    width: parent.width
                    visible: !editor.active
                    // A row waiting in the reuse pool (a log emptied) has no
                    // line behind it, yet re-evaluates when the toggle changes.
                    text: model.text === undefined ? ""
                          : root.showTime ? Qt.formatTime(model.time, "hh:mm:ss.zzz") + "  " + model.text
                          : model.text
                    textFormat: Text.PlainText
                    wrapMode: Text.Wrap
                    color: root.textColor
                    font.family: list.fontFamily
                    font.pixelSize: root.fontSize
                }
                Loader {
                    id: editor
                    objectName: "selectableRow"
                    width: parent.width
                    active: root.selectable
                    sourceComponent: TextEdit {
                        text: label.text
                        readOnly: true
                        selectByMouse: true
                        textFormat: TextEdit.PlainText
                        wrapMode: TextEdit.Wrap
                        color: root.textColor
                        selectionColor: root.selectionColor
                        font: label.font
                    }
                }
            }
        }
    }
}
