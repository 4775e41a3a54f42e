import QtQuick
import "components"
import "components/Palette.js" as Palette
import "LogText.js" as LogText

// The selected gateway's event log as it arrives over the broker: port data
// and error reports. Kept below the line limit like the direct-mode log.
Rectangle {
    id: page
    color: Palette.page

    // Pieces of the text split at its line feeds.
    readonly property int maxPieces: 500

    // Checked on the backend's own notification rather than from the view's
    // binding: a clear issued while that binding is still being updated
    // would not reach the view.
    function keepBounded() {
        if (LogText.reachesLimit(tcpClient.terminalLogFromMqtt, maxPieces))
            tcpClient.clearmterminalLogFromMqtt()
    }

    Connections {
        target: tcpClient
        function onTerminalLogFromMqttChanged() { page.keepBounded() }
    }

    LogCard {
        anchors.fill: parent
        title: "Event Logs"
        source: tcpClient.terminalLogFromMqtt
        placeholderText: "Event logs will appear here"
        onClearRequested: tcpClient.clearmterminalLogFromMqtt()
    }

    Component.onCompleted: keepBounded()

    // Coming back shows only what arrived after leaving.
    Component.onDestruction: tcpClient.clearmterminalLogFromMqtt()
}
