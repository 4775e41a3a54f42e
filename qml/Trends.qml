import QtQuick
import "components"
import "DirectLink.js" as DirectLink
import "components/Palette.js" as Palette

// The register values of the RS-485 monitor stream over time, over the
// page's own monitor connection, as the log page has it.
Rectangle {
    id: page
    color: Palette.page

    readonly property int port: 8880

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
        // The monitor stream also fills the terminal log, which belongs to
        // the monitor pages and never outlives them.
        tcpClient.clearTerminalLog()
    }
}
