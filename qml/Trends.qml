import QtQuick
import "components"
import "DirectLink.js" as DirectLink
import "components/Palette.js" as Palette
import "LogText.js" as LogText

// The register values of the RS-485 monitor stream over time, over the
// page's own monitor connection, as the log page has it.
Rectangle {
    id: page
    color: Palette.page

    readonly property int port: 8880

    // The monitor stream also fills the backend's terminal log, which no
    // view shows here: it is kept bounded as on the log page.
    Connections {
        target: tcpClient
        function onTerminalLogChanged() {
            if (LogText.reachesLimit(tcpClient.terminalLog, 500))
                tcpClient.clearTerminalLog()
        }
    }

    TrendsPanel {
        anchors.fill: parent
        store: tcpClient.trends
    }

    Component.onCompleted: {
        if (ipSelected)
            DirectLink.ensure(tcpClient, currentdeviceIP, port)
    }
    Component.onDestruction: {
        if (ipSelected)
            DirectLink.release(tcpClient, port)
        tcpClient.clearTerminalLog()
    }
}
