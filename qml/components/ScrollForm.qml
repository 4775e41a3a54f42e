import QtQuick
import QtQuick.Layouts

// A settings form that scrolls vertically inside its card, without visible
// scroll bars. Items declared inside are stacked in one column.
Flickable {
    id: flick
    default property alias content: column.data
    property alias spacing: column.spacing
    contentHeight: column.implicitHeight
    clip: true
    boundsBehavior: Flickable.StopAtBounds

    ColumnLayout {
        id: column
        width: flick.width
        spacing: 12
    }
}
