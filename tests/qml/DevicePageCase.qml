import QtQuick
import QtQuick.Controls
import QtTest

// What the device and log page suites share: the main window on a fresh
// simulator with one of the pages open, and reading what reached the gateway.
TestCase {
    id: testCase
    when: windowShown

    property var window
    property var page
    property string address

    function openWindow() {
        var component = Qt.createComponent("qrc:/main.qml")
        compare(component.status, Component.Ready, component.errorString())
        window = createTemporaryObject(component, testCase)
        window.currentdeviceIP = address
        window.ipSelected = true
    }

    function startGateway() {
        address = gateway.start()
        verify(address.length > 0)
    }

    function openPage(url) {
        if (address.length === 0)
            startGateway()
        if (!window)
            openWindow()
        window.pageLoader.source = url
        page = window.pageLoader.item
        verify(page)
        // Returns at the next frame, or at the time-out when nothing changed
        // and no frame comes: keep it short.
        waitForRendering(window.contentItem, 250)
    }

    function cleanup() {
        if (window)
            window.pageLoader.source = ""
        window = null
        page = null
        address = ""
        tcpClient.disconnectFromDevice()
        tcpClient.clearTerminalLog()
        gateway.stop()
    }

    // List delegates are found through the content item, popups through the
    // window.
    function named(name) {
        var item = findChild(window.contentItem, name) || findChild(window, name)
        verify(item, "no item named " + name)
        return item
    }

    function click(name) {
        var item = named(name)
        tryVerify(function() { return item.visible && item.width > 0 }, 2000, name + " is not shown")
        waitForRendering(window.contentItem, 250)
        mouseClick(item)
    }

    function setField(name, text) {
        named(name).field.text = text
    }

    function waitOpened(name) {
        var popup = named(name)
        tryCompare(popup, "opened", true)
        return popup
    }

    // The commands other than the list requests the page sends by itself.
    function changeCommands() {
        return gateway.commands().filter(function(c) { return c !== "GET rs485list" })
    }

    function waitForCommand(command, timeout) {
        tryVerify(function() { return gateway.commands().indexOf(command) >= 0 }, timeout || 3000,
                  "\"" + command + "\" never arrived; got " + JSON.stringify(gateway.commands()))
    }
}
