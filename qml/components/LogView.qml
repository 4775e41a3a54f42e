import QtQuick
import QtQuick.Controls
import "Palette.js" as Palette

// A scrolling view of one of the backend's logs, a row per line (bind
// `lines` to a `tcpClient` log store). Only the lines on screen are laid out,
// so a log costs the same to show at any length, and the store hands it new
// lines a dozen times a second however fast they come. The view follows the
// newest line unless the operator has scrolled up; scrolling back to the end
// follows again. What the gateway or the broker sent is shown as plain text,
// never as markup; each line can be selected with the mouse and copied.
Rectangle {
    id: root

    property var lines: null
    property string placeholderText: ""
    property color areaColor: Palette.card
    property color textColor: "white"
    property int fontSize: 24
    // Shows each line's arrival time before it.
    property bool showTime: false
    readonly property alias listView: list
    // False while the operator looks at older lines.
    readonly property alias following: list.following

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
            color: Palette.placeholder
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
                if (!following)
                    return
                if (positioning) {
                    // The lines just laid out changed the estimate of the
                    // whole height: go to the end again once done.
                    Qt.callLater(toEnd)
                    return
                }
                positioning = true
                positionViewAtEnd()
                positioning = false
            }
            function operatorLetGo() { following = atYEnd }

            anchors.fill: parent
            anchors.margins: 6
            clip: true
            model: root.lines
            reuseItems: true
            boundsBehavior: Flickable.StopAtBounds

            onCountChanged: toEnd()
            onHeightChanged: toEnd()
            // Lines laid out for the first time may turn out taller than
            // estimated.
            onContentHeightChanged: toEnd()
            onMovementStarted: following = false
            onMovementEnded: operatorLetGo()
            Component.onCompleted: toEnd()

            ScrollBar.vertical: ScrollBar {
                policy: ScrollBar.AsNeeded
                onPressedChanged: pressed ? list.following = false : list.operatorLetGo()
            }

            delegate: TextEdit {
                width: ListView.view.width
                text: root.showTime ? Qt.formatTime(model.time, "hh:mm:ss.zzz") + "  " + model.text
                                    : model.text
                readOnly: true
                selectByMouse: true
                textFormat: TextEdit.PlainText
                wrapMode: TextEdit.Wrap
                color: root.textColor
                selectionColor: Palette.accent
                font.family: list.fontFamily
                font.pixelSize: root.fontSize
            }
        }
    }
}
