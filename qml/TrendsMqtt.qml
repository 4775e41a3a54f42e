import QtQuick
import "components"
import "components/Palette.js" as Palette

// The numeric values the selected gateway publishes on its port topics,
// over time.
Rectangle {
    color: Palette.page

    TrendsPanel {
        anchors.fill: parent
        store: tcpClient.trends
    }
}
