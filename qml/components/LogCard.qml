import QtQuick
import QtQuick.Layouts
import "Palette.js" as Palette

// A log page's body: the title, and in the card the log view with the
// "Clear All" button under it on the right.
PageCard {
    id: root

    property alias source: view.source
    property alias placeholderText: view.placeholderText
    readonly property alias view: view

    signal clearRequested()

    ColumnLayout {
        anchors.fill: parent
        spacing: 12

        LogView {
            id: view
            objectName: "logView"
            Layout.fillWidth: true
            Layout.fillHeight: true
        }

        SecondaryButton {
            objectName: "clearLogButton"
            Layout.alignment: Qt.AlignRight
            Layout.preferredWidth: 140
            Layout.preferredHeight: 42
            radius: 21
            fontSize: 14
            text: "Clear All"
            onClicked: root.clearRequested()
        }
    }
}
