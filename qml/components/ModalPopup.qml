import QtQuick
import QtQuick.Controls

// A modal popup that holds the keyboard while it is open: it takes the focus
// when it opens, so no key reaches the page under it (a Space would press the
// button that opened it again), and gives the focus back to where it was when
// it closes. `initialFocus` names the item inside that gets it first (the
// default button, the field to type in); without one the popup itself holds
// it, which is enough for Escape to reach it.
Popup {
    id: popup

    property Item initialFocus: null
    property Item _previousFocus: null

    modal: true
    focus: true

    // Tab reaches controls the way a desktop user expects, so the first
    // focus shows its ring too.
    function focusInitial() {
        if (initialFocus && initialFocus.visible && initialFocus.enabled)
            initialFocus.forceActiveFocus(Qt.TabFocusReason)
    }

    function _holds(item) {
        for (var p = item; p; p = p.parent) {
            if (p === popup.contentItem)
                return true
        }
        return false
    }

    onAboutToShow: {
        var window = Overlay.overlay ? Overlay.overlay.Window.window : null
        var current = window ? window.activeFocusItem : null
        // Opening again while open must not make the popup hand the focus
        // back to itself.
        _previousFocus = current && !_holds(current) ? current : null
    }
    onOpened: focusInitial()
    onClosed: {
        var previous = _previousFocus
        _previousFocus = null
        if (previous && previous.visible)
            previous.forceActiveFocus(Qt.OtherFocusReason)
    }
}
