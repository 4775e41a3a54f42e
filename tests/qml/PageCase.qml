import QtQuick
import QtQuick.Controls
import QtTest

// One harness for the page suites: the main window in direct or cloud mode, a
// page in it, the operator's steps, and what reached the gateway and when.
TestCase {
    id: testCase
    when: windowShown

    property var window
    property var page
    property string address
    property bool cloudMode: false
    property double t0: 0
    readonly property string deviceId: "KV-0001"

    function topic(suffix) { return "Kestrelvane/" + deviceId + "/" + suffix }

    function openWindow() {
        var component = Qt.createComponent("qrc:/main.qml")
        compare(component.status, Component.Ready, component.errorString())
        window = createTemporaryObject(component, testCase)
    }

    function load(url) {
        t0 = Date.now()
        window.pageLoader.source = url
        return shownPage(url)
    }

    // The window's page once it is `url`, by a load or by the operator's steps.
    function shownPage(url) {
        tryCompare(window.pageLoader, "source", url, 5000)
        tryCompare(window.pageLoader, "status", Loader.Ready)
        page = window.pageLoader.item
        // Returns at the next frame, or at the time-out when nothing changed.
        waitForRendering(window.contentItem, 250)
        return page
    }

    // The device choice page, as the window starts, offering `address`.
    function openChoice(address) {
        if (!window)
            openWindow()
        window.currentdeviceIP = address || ""
        window.pageLoader.source = ""
        return load("qrc:/ChooseDeviceIp.qml")
    }

    // Direct mode on a fresh simulator, the link left on `connectFirstOn` as
    // an earlier page would leave it (after the window's first page, which
    // drops any link), and `prepare` run before the page opens.
    function openDirect(url, connectFirstOn, prepare) {
        cloudMode = false
        address = gateway.start()
        verify(address.length > 0)
        openWindow()
        window.currentdeviceIP = address
        window.ipSelected = true
        if (connectFirstOn) {
            tcpClient.connectToDevice(address, connectFirstOn)
            tryCompare(tcpClient, "connected", true)
        }
        if (prepare)
            prepare()
        return load(url)
    }

    // A settings page once its own first reading has arrived; with `settings`,
    // changed after the network page read them: the page must show its own.
    function openRead(url, settings) {
        openDirect(settings ? "qrc:/NetworkPage.qml" : url)
        awaitReading({ deviceId: deviceId }, 100)
        if (settings) {
            for (var key in settings)
                gateway.setSetting(key, settings[key])
            load(url)
            awaitReading(settings, 300)
        }
    }

    function awaitReading(values, settle) {
        arrival("GETALL", 2500)
        tryVerify(function() { return Object.keys(values).every(function(k) { return tcpClient.dataMap[k] === values[k] }) },
                  3000, "no reading of " + JSON.stringify(values))
        wait(settle)
        gateway.clearReceived()
    }

    // Cloud mode: the gateway's cloud side on the broker, the tool subscribed
    // to its topics, the window on the page.
    function openCloud(url, head) {
        cloudMode = true
        verify(cloud.join(deviceId), "gateway or tool not on the broker")
        cloud.clearReceived()
        openWindow()
        window.currentDeviceId = deviceId
        window.idSelected = true
        window.pagehead2 = head || ""
        return load(url)
    }

    function cleanup() {
        if (window)
            window.pageLoader.source = ""
        window = null
        page = null
        tcpClient.disconnectFromDevice()
        gateway.stop()
        for (var clear of ["clearData", "clearLog", "clearTerminalLog", "clearmterminalLogFromMqtt",
                           "clearnetworkLogFromMqtt", "clearatCmdLog"])
            tcpClient[clear]()
        tcpClient.trends.clear()
    }

    // The page's own items first (the hidden menus have items of the same names).
    function named(name) {
        var item = (page ? findChild(page, name) : null) || findChild(window, name)
        verify(item, "no item named " + name)
        return item
    }

    function flickableOf(item) {
        for (var p = item.parent; p; p = p.parent) {
            if (p.contentY !== undefined && p.flicking !== undefined)
                return p
        }
        return null
    }

    // Scrolls a form so that the item is in view, as an operator would.
    function scrollTo(item) {
        var p = flickableOf(item)
        if (p) {
            var y = item.mapToItem(p.contentItem, 0, 0).y
            p.contentY = Math.max(0, Math.min(y, p.contentHeight - p.height))
        }
        waitForRendering(window.contentItem, 250)
    }

    function inView(item) {
        var p = flickableOf(item), y = p ? item.mapToItem(p, 0, 0).y : 0
        return !p || (y >= 0 && y + item.height <= p.height)
    }

    function click(name) {
        var item = named(name)
        tryVerify(function() { return item.visible && item.width > 0 }, 3000, name + " is not shown")
        scrollTo(item)
        mouseClick(item)
    }

    function type(name, text) {
        mouseClick(named(name).field || named(name))
        keyClick(Qt.Key_A, Qt.ControlModifier)
        keyClick(Qt.Key_Delete)
        for (var c of text)
            keyClick(c)
    }

    function press(name) {
        t0 = Date.now()
        click(name)
    }

    // Fields by name: numbers choose a drop-down entry, strings are typed.
    function fill(values) {
        for (var name in values) {
            if (typeof values[name] === "number")
                named(name).currentIndex = values[name]
            else
                named(name).text = values[name]
        }
    }

    function commands() { return cloudMode ? cloud.cloudCommands() : gateway.commands() }

    // What the gateway took, the reads the pages make by themselves left out.
    function changes() {
        return commands().filter(function(c) { return c !== "GETALL" && c !== "GET rs485list" })
    }

    function expectChanges(expected, timeout) {
        tryVerify(function() { return JSON.stringify(changes()) === JSON.stringify(expected) },
                  timeout || 5000, "expected " + JSON.stringify(expected) + ", got "
                  + JSON.stringify(changes()))
    }

    // Milliseconds from t0 until `command` reached the gateway.
    function arrival(command, timeout) {
        tryVerify(function() { return commands().indexOf(command) >= 0 }, timeout || 3000,
                  "\"" + command + "\" never arrived; got " + JSON.stringify(commands()))
        return Date.now() - t0
    }

    function expectLine(text, colour, lineName) {
        var line = named(lineName || "errText")
        tryCompare(line, "text", text, 12000)
        compare(String(line.color), String(Qt.color(colour)))
    }

    function waitOpened(name, timeout) {
        var popup = named(name)
        tryCompare(popup, "opened", true, timeout || 5000)
        return popup
    }

    // A result dialog opened with the message, its wait ended.
    function expectDialog(name, message) {
        var dialog = waitOpened(name, 12000)
        compare(dialog.message, message)
        return dialog
    }

    function statusPopup() { return findChild(window, "statusPopup") || named("networkstatusPopUp") }

    function expectStatus(message, colour) {
        var popup = statusPopup()
        tryCompare(popup, "opened", true)
        tryCompare(popup, "message", message, 16000)
        compare(String(popup.borderColor), String(Qt.color(colour)))
        compare(named("statusOkButton").visible, message.indexOf("Saving") < 0)
    }

    // Waits until `count` payloads were seen on the topic and returns them.
    function seenOn(topicName, count) {
        tryVerify(function() { return cloud.messages(topicName).length >= count }, 5000,
                  "expected " + count + " message(s) on " + topicName + ", got "
                  + JSON.stringify(cloud.messages(topicName)))
        return cloud.messages(topicName)
    }

    // Takes the gateway off the broker so that nothing published reaches it.
    function silenceGateway() {
        verify(cloud.setOnline(false), "gateway still online")
        wait(200)
    }

    // The view shows exactly the log's lines, as plain text, following the
    // newest one; or its placeholder when the log is empty. Rows are laid out
    // after the model changes: wait for their texts too.
    function expectShown(view, log, placeholder) {
        var expected = log.length === 0 ? [] : log.replace(/\n$/, "").split("\n")
        var list = view.listView
        var hint = findChild(view, "logPlaceholder")
        var seen = 0
        tryVerify(function() {
            seen = 0
            return list.count === expected.length && hint.visible === (expected.length === 0) && list.atNewest()
                    && expected.every(function(line, i) {
                        var row = list.itemAtIndex(i)
                        seen += row ? 1 : 0
                        return !row || (row.text === line && row.textFormat === TextEdit.PlainText)
                    })
        }, 3000, "view has not the log's " + expected.length + " lines at its end, as plain text")
        compare(hint.text, placeholder)
        // Only what is on screen is laid out.
        verify(expected.length < 200 || seen < 100, seen + " lines laid out")
    }
}
