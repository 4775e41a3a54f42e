import QtQuick
import "components"
import "DirectLink.js" as DirectLink
import "components/Palette.js" as Palette

// What the gateway reports on its RS-485 monitor port, live, over the page's
// own monitor connection. The page has the backend's terminal log emptied
// once it reaches the limit.
Rectangle {
    id: page
    color: Palette.page

    readonly property int port: 8880

    Connections {
        target: tcpClient
        function onTerminalLogChanged() { card.keepBounded() }
    }

    LogCard {
        id: card
        anchors.fill: parent
        title: "Event Logs"
        lines: tcpClient.terminalLogLines
        pieceLimit: 500
        placeholderText: "Event logs will appear here"
        onClearRequested: tcpClient.clearTerminalLog()
    }

    Component.onCompleted: {
        if (ipSelected)
            DirectLink.ensure(tcpClient, currentdeviceIP, port)
    }
    Component.onDestruction: {
        if (ipSelected)
            DirectLink.release(tcpClient, port)
        // The monitor log belongs to this page and never outlives it.
        tcpClient.clearTerminalLog()
    }
}
