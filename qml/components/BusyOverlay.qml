import QtQuick
import QtQuick.Controls

// Dims the page while it waits. It catches no clicks: the controls under it
// stay usable.
Rectangle {
    anchors.fill: parent
    color: "#80000000"
    visible: false
    z: 100

    BusyIndicator {
        anchors.centerIn: parent
        running: parent.visible
    }
}
