import QtQuick
import QtQuick.Layouts
import "Palette.js" as Palette

// A log page's body: the title, and in the card the log view with the
// "Clear All" button under it on the right.
PageCard {
    id: root

    property alias lines: tools.lines
    property alias placeholderText: view.placeholderText
    // The log is to be emptied once its text splits into this many pieces at
    // its line feeds (0: never). Each line ends with a line feed, so n lines
    // make n + 1 pieces.
    property int pieceLimit: 0
    readonly property alias view: view

    signal clearRequested()

    // Called on the backend's notification of each change; reads only the
    // count of lines, never the text.
    function keepBounded() {
        if (pieceLimit > 0 && lines && lines.count + 1 >= pieceLimit)
            clearRequested()
    }

    Component.onCompleted: keepBounded()

    ColumnLayout {
        anchors.fill: parent
        spacing: 12

        LogTools {
            id: tools
            objectName: "logTools"
            Layout.fillWidth: true
        }

        // The view's place; it is drawn over the card (see below).
        Item {
            id: viewSlot
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

    // Redrawn with every batch of lines: drawn opaque over the card, in the
    // colours the card would give it.
    opaqueContent: LogView {
        id: view
        objectName: "logView"
        x: viewSlot.x
        y: viewSlot.y
        width: viewSlot.width
        height: viewSlot.height
        lines: tools.shownLines
        showTime: tools.showTime
        color: Palette.throughCard(Palette.fieldFill)
        areaColor: Palette.throughCard(Palette.card)
        textColor: Palette.throughCard("#ffffff")
        placeholderColor: Palette.throughCard(Palette.placeholder)
        selectionColor: Palette.throughCard(Palette.accent)
    }
}
