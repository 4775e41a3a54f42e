import QtQuick

// The white ring round whatever has the keyboard focus, so an operator who
// moves with Tab sees where a key press goes. Controls show it only for focus
// that came from the keyboard, not for the focus a mouse click leaves behind.
Rectangle {
    property Item target: parent
    property real radiusOffset: 3
    readonly property bool shown: target.visualFocus !== undefined ? target.visualFocus
                                                                    : target.activeFocus
    anchors.fill: target
    anchors.margins: -3
    radius: (target.radius !== undefined ? target.radius : 6) + radiusOffset
    color: "transparent"
    border.color: "white"
    border.width: 2
    visible: shown
    z: 10
}
