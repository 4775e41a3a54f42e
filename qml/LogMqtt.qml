import QtQuick
import "components"
import "components/Palette.js" as Palette

// The selected gateway's event log as it arrives over the broker: port data
// and error reports. Kept below the line limit like the direct-mode log.
Rectangle {
    id: page
    color: Palette.page

    Connections {
        target: tcpClient
        function onTerminalLogFromMqttChanged() { card.keepBounded() }
    }

    LogCard {
        id: card
        anchors.fill: parent
        title: "Event Logs"
        lines: tcpClient.terminalLogFromMqttLines
        pieceLimit: 500
        placeholderText: "Event logs will appear here"
        onClearRequested: tcpClient.clearmterminalLogFromMqtt()
    }

    // Coming back shows only what arrived after leaving.
    Component.onDestruction: tcpClient.clearmterminalLogFromMqtt()
}
