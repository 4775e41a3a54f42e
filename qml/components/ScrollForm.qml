import QtQuick
import QtQuick.Layouts
import "Keyboard.js" as Keyboard

// A form that scrolls vertically inside its card, without visible scroll
// bars. Items declared inside are stacked in one column, in reading order,
// which is also the order Tab moves through them. Enter in a field does what
// the form's primary button does (submitted()); the field or message that
// has the operator's attention is scrolled into view.
Flickable {
    id: flick
    default property alias content: column.data
    property alias spacing: column.spacing
    // Marks this item as a form for the controls inside that take Enter
    // themselves (a combo box), see Keyboard.enclosingForm().
    readonly property bool submittable: true
    signal submitted()

    function submit() {
        submitted()
    }

    // Scrolls just enough to show the item whole, with a little room around.
    function reveal(item) {
        if (!item || height <= 0)
            return
        var top = item.mapToItem(column, 0, 0).y - 8
        var bottom = top + item.height + 16
        var y = contentY
        if (top < y)
            y = top
        else if (bottom > y + height)
            y = bottom - height
        contentY = Math.max(0, Math.min(y, contentHeight - height))
    }

    function holds(item) {
        for (var p = item; p; p = p.parent) {
            if (p === column)
                return true
        }
        return false
    }

    contentHeight: column.implicitHeight
    clip: true
    boundsBehavior: Flickable.StopAtBounds

    Keys.onPressed: function(event) {
        if (Keyboard.submits(event) && visible) {
            event.accepted = true
            submit()
        }
    }

    Connections {
        target: flick.Window.window
        function onActiveFocusItemChanged() {
            var item = flick.Window.activeFocusItem
            if (flick.visible && flick.holds(item))
                flick.reveal(item)
        }
    }

    ColumnLayout {
        id: column
        width: flick.width
        spacing: 12
    }
}
