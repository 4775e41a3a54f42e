import QtQuick
import "components"
import "DirectLink.js" as DirectLink
import "components/Palette.js" as Palette
import "LogText.js" as LogText

// What the gateway reports on its RS-485 monitor port, live, over the page's
// own monitor connection. The backend's terminal log grows without bound, so
// the page has it emptied once it reaches the limit.
Rectangle {
    id: page
    color: Palette.page

    readonly property int port: 8880
    // Pieces of the text split at its line feeds; 499 complete lines make 500.
    readonly property int maxPieces: 500

    function ensureConnection(ip, wantedPort) {
        DirectLink.ensure(tcpClient, ip, wantedPort)
    }

    // Checked on the backend's own notification rather than from the view's
    // binding: a clear issued while that binding is still being updated
    // would not reach the view.
    function keepBounded() {
        if (LogText.reachesLimit(tcpClient.terminalLog, maxPieces))
            tcpClient.clearTerminalLog()
    }

    Connections {
        target: tcpClient
        function onTerminalLogChanged() { page.keepBounded() }
    }

    LogCard {
        anchors.fill: parent
        title: "Event Logs"
        source: tcpClient.terminalLog
        placeholderText: "Event logs will appear here"
        onClearRequested: tcpClient.clearTerminalLog()
    }

    Component.onCompleted: {
        keepBounded()
        if (ipSelected)
            ensureConnection(currentdeviceIP, port)
    }
    Component.onDestruction: {
        if (ipSelected)
            DirectLink.release(tcpClient, port)
        // The monitor log belongs to this page and never outlives it.
        tcpClient.clearTerminalLog()
    }
}
