import QtQuick
import "components"
import "components/Palette.js" as Palette

// The network reports of the selected gateway. The log outlives the page, so
// coming back shows what was gathered in the meantime.
Rectangle {
    id: page
    color: Palette.page

    LogCard {
        anchors.fill: parent
        title: "Network Logs"
        lines: tcpClient.networkLogFromMqttLines
        placeholderText: "Network logs will appear here"
        onClearRequested: tcpClient.clearnetworkLogFromMqtt()
    }
}
