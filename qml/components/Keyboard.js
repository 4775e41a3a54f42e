.pragma library

// Enter, Return and Space act on the focused control as a click does.
function activates(event) {
    return event.key === Qt.Key_Return || event.key === Qt.Key_Enter || event.key === Qt.Key_Space
}

// Enter or Return alone.
function submits(event) {
    return event.key === Qt.Key_Return || event.key === Qt.Key_Enter
}

// The form that holds `item`: the nearest ancestor that can be submitted.
function enclosingForm(item) {
    for (var p = item ? item.parent : null; p; p = p.parent) {
        if (typeof p.submit === "function" && p.submittable === true)
            return p
    }
    return null
}
