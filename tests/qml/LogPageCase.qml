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

    function lines(count, prefix) {
        var text = ""
        for (var i = 1; i <= count; ++i)
            text += (prefix === undefined ? "line " : prefix) + i + "\n"
        return text
    }

    // The view shows exactly the log, or its placeholder when the log is empty.
    function expectShown(view, log, placeholder) {
        tryCompare(view, "source", log)
        compare(view.textArea.text.replace(/\r/g, ""), log.replace(/\r/g, ""))
        compare(view.textArea.placeholderText, placeholder)
        compare(view.textArea.length === 0, log.length === 0)
        compare(view.textArea.cursorPosition, view.textArea.length)
    }

    // The view is scrolled to its newest line.
    function expectAtEnd(view) {
        var f = view.flickable
        tryVerify(function() {
            return f.contentHeight <= f.height || f.contentY >= f.contentHeight - f.height - 2
        }, 2000, "view not at its end: " + f.contentY + " of " + f.contentHeight + " in " + f.height)
    }
}
