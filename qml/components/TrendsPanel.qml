import QtQuick
import QtQuick.Controls
import QtQuick.Dialogs
import QtQuick.Layouts
import Kestrelvane
import "Palette.js" as Palette

// The trends of a page: the series seen so far to pick from, and the picked
// ones over the last 1, 10 or 60 minutes on one time axis, scaled to their
// values, with the values under the pointer, a pause, and an export of what
// is shown to CSV.
PageCard {
    id: root
    objectName: "trendsPanel"

    // The TrendStore to show (tcpClient.trends).
    property var store: null
    property var selected: []
    readonly property alias plot: plot

    title: "Trends"

    function toggle(name) {
        var picked = selected.slice()
        var at = picked.indexOf(name)
        if (at >= 0)
            picked.splice(at, 1)
        else
            picked.push(name)
        selected = picked
    }

    RowLayout {
        anchors.fill: parent
        spacing: 16

        ColumnLayout {
            Layout.preferredWidth: 240
            Layout.fillHeight: true
            spacing: 8

            Text {
                text: "Series"
                color: Palette.caption
                font.pixelSize: 14
                font.family: typeof qcksnd !== "undefined" ? qcksnd.name : font.family
            }
            ListView {
                id: seriesList
                objectName: "seriesList"
                Layout.fillWidth: true
                Layout.fillHeight: true
                clip: true
                model: root.store
                ScrollBar.vertical: ScrollBar {}
                delegate: CheckDelegate {
                    id: entry
                    required property string name
                    readonly property int position: root.selected.indexOf(name)
                    width: ListView.view.width
                    checked: position >= 0
                    onClicked: root.toggle(name)
                    // The swatch in the series' colour is the check mark.
                    indicator: null
                    contentItem: Row {
                        spacing: 8
                        Rectangle {
                            anchors.verticalCenter: parent.verticalCenter
                            width: 12; height: 12; radius: 6
                            color: entry.position >= 0 ? plot.colorAt(entry.position) : "transparent"
                            border.color: entry.position >= 0 ? color : Palette.caption
                        }
                        Text {
                            width: entry.width - 40
                            text: entry.name
                            color: "white"
                            elide: Text.ElideMiddle
                            textFormat: Text.PlainText
                            font.pixelSize: 13
                            font.family: typeof qcksnd !== "undefined" ? qcksnd.name : font.family
                        }
                    }
                }
                Text {
                    anchors.fill: parent
                    visible: seriesList.count === 0
                    text: "Values appear here as they arrive"
                    color: Palette.placeholder
                    wrapMode: Text.WordWrap
                    font.pixelSize: 14
                }
            }
        }

        ColumnLayout {
            Layout.fillWidth: true
            Layout.fillHeight: true
            spacing: 8

            RowLayout {
                spacing: 8
                Repeater {
                    model: [{ label: "1 min", seconds: 60 }, { label: "10 min", seconds: 600 },
                            { label: "60 min", seconds: 3600 }]
                    SecondaryButton {
                        required property var modelData
                        objectName: "span" + modelData.seconds
                        implicitWidth: 80
                        implicitHeight: 34
                        fontSize: 13
                        text: modelData.label
                        fill: plot.spanSeconds === modelData.seconds ? Palette.accent : "#3a5068"
                        labelColor: plot.spanSeconds === modelData.seconds ? Palette.window : Palette.caption
                        onClicked: plot.spanSeconds = modelData.seconds
                    }
                }
                Item { Layout.fillWidth: true }
                SecondaryButton {
                    objectName: "pauseTrends"
                    implicitWidth: 90
                    implicitHeight: 34
                    fontSize: 13
                    text: plot.paused ? "Resume" : "Pause"
                    onClicked: plot.paused = !plot.paused
                }
                SecondaryButton {
                    objectName: "exportTrends"
                    implicitWidth: 110
                    implicitHeight: 34
                    fontSize: 13
                    enabled: root.selected.length > 0
                    text: "Export CSV…"
                    onClicked: exportDialog.open()
                }
                SecondaryButton {
                    objectName: "clearTrends"
                    implicitWidth: 80
                    implicitHeight: 34
                    fontSize: 13
                    text: "Clear"
                    onClicked: {
                        root.selected = []
                        if (root.store)
                            root.store.clear()
                    }
                }
            }
            MessageLine {
                id: message
                objectName: "trendsMessage"
                Layout.fillWidth: true
            }

            Rectangle {
                Layout.fillWidth: true
                Layout.fillHeight: true
                color: Palette.fieldFill
                radius: 6

                // Value labels on the left, time labels below, the plot in
                // the rest.
                Item {
                    id: frame
                    anchors { fill: parent; leftMargin: 64; rightMargin: 12; topMargin: 12; bottomMargin: 28 }

                    Repeater {
                        model: plot.ticks
                        Text {
                            required property real modelData
                            x: -width - 8
                            y: frame.height * (1 - (modelData - plot.minimum) / (plot.maximum - plot.minimum))
                               - height / 2
                            text: Number(modelData).toPrecision(6).replace(/\.?0+$/, "")
                            color: Palette.caption
                            font.pixelSize: 11
                        }
                    }
                    Repeater {
                        model: 5
                        Text {
                            required property int index
                            x: frame.width * index / 4 - width / 2
                            y: frame.height + 6
                            text: index === 4 ? (plot.paused ? "paused" : "now")
                                              : "-" + (plot.spanSeconds * (4 - index) / 4 >= 120
                                                       ? plot.spanSeconds * (4 - index) / 240 + " min"
                                                       : plot.spanSeconds * (4 - index) / 4 + " s")
                            color: Palette.caption
                            font.pixelSize: 11
                        }
                    }

                    TrendPlot {
                        id: plot
                        objectName: "trendPlot"
                        anchors.fill: parent
                        backgroundColor: Palette.fieldFill
                        gridColor: "#2f4357"
                        store: root.store
                        series: root.selected
                    }

                    MouseArea {
                        id: pointer
                        anchors.fill: parent
                        hoverEnabled: true
                        acceptedButtons: Qt.NoButton
                    }
                    Rectangle {
                        visible: pointer.containsMouse && root.selected.length > 0
                        x: pointer.mouseX
                        width: 1
                        height: frame.height
                        color: Palette.caption
                    }
                    Rectangle {
                        id: readout
                        objectName: "trendReadout"
                        visible: pointer.containsMouse && root.selected.length > 0
                        x: Math.min(pointer.mouseX + 12, frame.width - width)
                        y: 8
                        width: readoutColumn.width + 16
                        height: readoutColumn.height + 12
                        radius: 6
                        color: "#e0243447"
                        border.color: Palette.fieldBorder
                        // Refreshed as the pointer moves, and as the plot scrolls under it
                        // at a pace one can read (not each frame).
                        property var values: []
                        property string time: ""
                        property double refreshedAt: 0
                        // Assigned only when it differs, so an unmoved readout costs no frame.
                        function refresh() {
                            refreshedAt = Date.now()
                            time = visible ? plot.timeAt(pointer.mouseX) : ""
                            var now = visible ? plot.valuesAt(pointer.mouseX) : []
                            if (JSON.stringify(now) !== JSON.stringify(values))
                                values = now
                        }
                        onVisibleChanged: refresh()
                        Connections {
                            target: pointer
                            function onMouseXChanged() { readout.refresh() }
                        }
                        Connections {
                            target: plot
                            enabled: readout.visible
                            function onAdvanced() {
                                if (Date.now() - readout.refreshedAt >= 100)
                                    readout.refresh()
                            }
                        }
                        Column {
                            id: readoutColumn
                            x: 8; y: 6
                            Text {
                                text: readout.time
                                color: "white"
                                font.pixelSize: 12
                            }
                            // By count, so that new values change the rows' texts
                            // instead of making the rows anew.
                            Repeater {
                                model: readout.values.length
                                Text {
                                    required property int index
                                    readonly property var entry: readout.values[index] || { name: "", value: "", color: "white" }
                                    text: entry.name + ": " + (entry.value.length > 0 ? entry.value : "–")
                                    color: entry.color
                                    textFormat: Text.PlainText
                                    font.pixelSize: 12
                                }
                            }
                        }
                    }
                }
            }
        }
    }

    FileDialog {
        id: exportDialog
        title: "Export the shown series"
        fileMode: FileDialog.SaveFile
        defaultSuffix: "csv"
        nameFilters: ["CSV files (*.csv)", "All files (*)"]
        onAccepted: {
            var failure = plot.exportCsv(selectedFile)
            message.success = failure.length === 0
            message.text = failure.length === 0 ? "Exported to " + selectedFile.toString().replace(/^file:\/\//, "") : failure
        }
    }
}
