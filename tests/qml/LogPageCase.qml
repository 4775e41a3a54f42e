import QtQuick
import QtQuick.Controls
import QtTest

// What the log and terminal suites share: the main window, a page loaded
// into its page area, and reading what a log view shows.
TestCase {
    id: testCase
    when: windowShown

    property var window
    property var page

    function openWindow() {
        var component = Qt.createComponent("qrc:/main.qml")
        compare(component.status, Component.Ready, component.errorString())
        window = createTemporaryObject(component, testCase)
        verify(window)
        return window
    }

    // The broker and the simulated gateway on it, the tool subscribed to the
    // gateway's topics, and the window in cloud mode.
    function openCloud() {
        compare(cloud.start(), "KV-0001")
        tryVerify(function() { return cloud.gatewayOnline() && cloud.observerReady() }, 5000,
                  "broker or gateway not up")
        verify(tcpClient.sendTopicDeviceId("KV-0001"))
        tryVerify(function() { return cloud.toolSubscribed("KV-0001") }, 5000, "tool not subscribed")
        openWindow()
        window.currentDeviceId = "KV-0001"
        window.idSelected = true
        return window
    }

    function topic(suffix) { return "Kestrelvane/KV-0001/" + suffix }

    function loadPage(url) {
        window.pageLoader.source = url
        page = window.pageLoader.item
        verify(page, "page " + url + " did not load")
        // Returns at the next frame, or at the time-out when nothing changed
        // and no frame comes: keep it short.
        waitForRendering(window.contentItem, 250)
        return page
    }

    function named(name) {
        var item = findChild(window.pageLoader.item, name)
        verify(item, "no item named " + name)
        return item
    }

    function click(name) {
        var item = named(name)
        verify(item.visible, name + " is not shown")
        waitForRendering(window.contentItem, 250)
        mouseClick(item)
    }

    function logView(name) {
        return named(name === undefined ? "logView" : name)
    }

    // The view shows exactly the log's lines, as plain text, following the
    // newest one; or its placeholder when the log is empty.
    function expectShown(view, log, placeholder) {
        var expected = log.length === 0 ? [] : log.replace(/\n$/, "").split("\n")
        var list = view.listView
        var hint = findChild(view, "logPlaceholder")
        tryVerify(function() {
            return list.count === expected.length && hint.visible === (expected.length === 0)
        }, 3000, "view has " + list.count + " lines, the log " + expected.length)
        compare(hint.text, placeholder)
        expectAtEnd(view)
        var seen = 0
        for (var i = 0; i < expected.length; ++i) {
            var row = list.itemAtIndex(i)
            if (!row)
                continue
            ++seen
            compare(row.text, expected[i])
            compare(row.textFormat, TextEdit.PlainText)
        }
        // Only what is on screen is laid out.
        verify(expected.length < 200 || seen < 100, seen + " lines laid out")
    }

    // The view is scrolled to its newest line.
    function expectAtEnd(view) {
        var list = view.listView
        tryVerify(function() { return list.atNewest() }, 2000,
                  "view not at its end: " + list.contentY + " of " + list.contentHeight)
    }
}
