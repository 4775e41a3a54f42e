import QtQuick
import QtQuick.Controls

ApplicationWindow {
    id: window
    visible: true
    width: Math.min(Screen.width * 0.8, 1280)
    height: Math.min(Screen.height * 0.8, 800)
    title: "Industrial 4G Gateway Configuration Tool"
    color: "#1e2a36"

    Label {
        anchors.centerIn: parent
        text: "Industrial 4G Gateway Configuration Tool"
        color: "white"
        font.pixelSize: 24
        font.bold: true
    }
}
