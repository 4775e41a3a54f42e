import QtQuick
import QtQuick.Layouts

// The test terminals' two halves: on the left a centred column of controls
// (the items declared inside), on the right the log the terminal follows.
Item {
    id: root

    property alias logLines: tools.lines
    readonly property alias logView: logView
    default property alias controls: column.data

    RowLayout {
        anchors.fill: parent
        spacing: 0

        Rectangle {
            Layout.fillWidth: true
            Layout.fillHeight: true
            Layout.preferredWidth: 1
            color: "#5E6C80"

            ColumnLayout {
                id: column
                anchors.centerIn: parent
                width: Math.min(parent.width - 40, 420)
                spacing: 12
            }
        }

        Rectangle {
            Layout.fillWidth: true
            Layout.fillHeight: true
            Layout.preferredWidth: 1
            color: "#1E2F45"

            ColumnLayout {
                anchors.fill: parent
                spacing: 0

                LogTools {
                    id: tools
                    objectName: "logTools"
                    Layout.fillWidth: true
                    Layout.margins: 6
                    fontSize: 12
                }
                LogView {
                    id: logView
                    objectName: "terminalLog"
                    Layout.fillWidth: true
                    Layout.fillHeight: true
                    lines: tools.shownLines
                    showTime: tools.showTime
                    radius: 0
                    color: "#1E2F45"
                    areaColor: "#1E2F45"
                    fontSize: 14
                }
            }
        }
    }
}
