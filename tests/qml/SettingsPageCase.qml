import QtQuick
import QtQuick.Controls
import QtTest

// What the settings page suites share: the window on a fresh simulator, a
// page opened in it, and watching what reaches the gateway and when.
TestCase {
    id: testCase
    when: windowShown

    property var window
    property var page
    property string address
    property double t0: 0

    function openPage(url, connectFirstOn) {
        address = gateway.start()
        verify(address.length > 0)
        if (connectFirstOn) {
            tcpClient.connectToDevice(address, connectFirstOn)
            tryCompare(tcpClient, "connected", true)
        }
        var component = Qt.createComponent("qrc:/main.qml")
        compare(component.status, Component.Ready, component.errorString())
        window = createTemporaryObject(component, testCase)
        window.currentdeviceIP = address
        window.ipSelected = true
        t0 = Date.now()
        window.pageLoader.source = url
        page = window.pageLoader.item
        verify(page)
        // Returns at the next frame, or at the time-out when nothing changed
        // and no frame comes: keep it short.
        waitForRendering(window.contentItem, 250)
    }

    // Opens the page once the gateway's first reading has arrived.
    function openReadPage(url) {
        openPage(url)
        // The map may still hold an earlier reading: wait for this page's own.
        arrival("GETALL", 2500)
        tryVerify(function() { return tcpClient.dataMap["deviceId"] !== undefined }, 3000)
        wait(100)
        gateway.clearReceived()
    }

    function cleanup() {
        window = null
        page = null
        tcpClient.disconnectFromDevice()
        gateway.stop()
        gateway.setRefuseSave(false)
    }

    function named(name) {
        var item = findChild(window, name)
        verify(item, "no item named " + name)
        return item
    }

    // Scrolls a form so that the item is in view, as an operator would.
    function scrollTo(item) {
        for (var p = item.parent; p; p = p.parent) {
            if (p.contentItem !== undefined && p.contentY !== undefined && p.flicking !== undefined) {
                var y = item.mapToItem(p.contentItem, 0, 0).y
                p.contentY = Math.max(0, Math.min(y, p.contentHeight - p.height))
                waitForRendering(window.contentItem, 250)
                return
            }
        }
    }

    function click(name) {
        var item = named(name)
        verify(item.visible, name + " is not shown")
        scrollTo(item)
        mouseClick(item)
    }

    function settingCommands() {
        return gateway.commands().filter(function(c) { return c !== "GETALL" })
    }

    // Milliseconds from t0 until `command` reached the gateway.
    function arrival(command, timeout) {
        var deadline = Date.now() + timeout
        while (gateway.commands().indexOf(command) < 0) {
            if (Date.now() > deadline)
                fail("\"" + command + "\" never arrived; got " + JSON.stringify(gateway.commands()))
            wait(20)
        }
        return Date.now() - t0
    }

    // Starts the clock and presses the named button.
    function press(name) {
        t0 = Date.now()
        click(name)
    }

    // Checks that the commands arrive in order, each about `gap` ms after the
    // previous one.
    function expectPaced(commands, gap) {
        for (var i = 0; i < commands.length; ++i) {
            var at = arrival(commands[i], gap * i + 1500)
            verify(at >= gap * i - 150 && at <= gap * i + 800,
                   commands[i] + " at " + at + " ms, expected " + gap * i)
        }
        compare(settingCommands(), commands)
    }

    function expectStatus(message, colour) {
        var popup = named(statusPopupName)
        tryCompare(popup, "opened", true)
        tryCompare(popup, "message", message)
        compare(String(popup.borderColor), String(Qt.color(colour)))
        compare(named("statusOkButton").visible, message.indexOf("Saving") < 0)
    }

    property string statusPopupName: "statusPopup"
}
