import QtQuick
import QtQuick.Controls
import QtTest

// What the cloud command page suites share: the broker with the simulated
// gateway's cloud side, the tool subscribed to the gateway's topics, the main
// window in cloud mode with a page loaded, and what reached the gateway.
TestCase {
    id: testCase
    when: windowShown

    property var window
    property var page
    readonly property string deviceId: "KV-0001"
    readonly property string subTopic: "Kestrelvane/" + deviceId + "/sub"
    readonly property string configTopic: "Kestrelvane/" + deviceId + "/config"
    readonly property string responseTopic: "Kestrelvane/" + deviceId + "/response"
    // Device list suites start every case from the simulator's own list.
    property bool freshGateway: false

    function openPage(url, head) {
        compare(cloud.start(deviceId), deviceId)
        tryVerify(function() { return cloud.gatewayOnline() && cloud.observerReady() }, 5000,
                  "gateway or observer not on the broker")
        verify(tcpClient.sendTopicDeviceId(deviceId))
        tryVerify(function() { return cloud.toolSubscribed(deviceId) }, 5000,
                  "tool not subscribed to the gateway's topics")
        cloud.clearReceived()
        var component = Qt.createComponent("qrc:/main.qml")
        compare(component.status, Component.Ready, component.errorString())
        window = createTemporaryObject(component, testCase)
        window.currentDeviceId = deviceId
        window.idSelected = true
        window.pageLoader.source = url
        window.pagehead2 = head
        tryVerify(function() { return window.pageLoader.status === Loader.Ready })
        page = window.pageLoader.item
        verify(page)
        // Returns at the next frame, or at the time-out when nothing changed
        // and no frame comes: keep it short.
        waitForRendering(window.contentItem, 250)
    }

    function cleanup() {
        window = null
        page = null
        cloud.setFailWrites(false)
        cloud.setGatewayOnline(true)
        if (freshGateway)
            gateway.stop()
    }

    // What the gateway took on its config topic, list requests left out.
    function changeCommands() {
        return cloud.gatewayCommands().filter(function(c) { return c !== "GET rs485list" })
    }

    function waitForCommands(expected, timeout) {
        tryVerify(function() { return JSON.stringify(changeCommands()) === JSON.stringify(expected) },
                  timeout || 5000, "expected " + JSON.stringify(expected) + ", got "
                  + JSON.stringify(changeCommands()))
    }

    function waitOpened(name, timeout) {
        var popup = named(name)
        tryCompare(popup, "opened", true, timeout || 5000)
        return popup
    }

    // Takes the gateway off the broker and waits until it is gone, so that
    // nothing published afterwards can still reach it.
    function silenceGateway() {
        cloud.setGatewayOnline(false)
        tryVerify(function() { return !cloud.gatewayOnline() }, 5000, "gateway still online")
        wait(200)
    }

    // The page's own items first: the window's hidden direct-mode menu has
    // items of the same names.
    function named(name) {
        var item = (page ? findChild(page, name) : null) || findChild(window, name)
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

    // Waits until `count` payloads were seen on the topic and returns them.
    function seenOn(topic, count, timeout) {
        tryVerify(function() { return cloud.messages(topic).length >= count }, timeout || 5000,
                  "expected " + count + " message(s) on " + topic + ", got "
                  + JSON.stringify(cloud.messages(topic)))
        return cloud.messages(topic)
    }

    // The register write form of both register pages.
    function fillForm(portIndex, slave, fc, addr, value) {
        named("portCombo").currentIndex = portIndex
        named("slaveIdField").text = slave
        named("funcCodeField").text = fc
        named("addrrsField").text = addr
        named("valField").text = value
    }

    function expectFormEmpty() {
        compare(named("portCombo").currentIndex, 0)
        for (var name of ["slaveIdField", "funcCodeField", "addrrsField", "valField"])
            compare(named(name).text, "", name + " not emptied")
        compare(named("errText").text, "")
    }

    function expectLine(text, colour) {
        var line = named("errText")
        tryCompare(line, "text", text, 12000)
        compare(String(line.color), String(Qt.color(colour)))
    }

    // The outcome of a write: the line, the dialog, the wait ended.
    function expectWriteOutcome(written) {
        var dialog = named(written ? "addedSuccesspopup" : "failedpopup")
        tryCompare(dialog, "opened", true, 12000)
        if (written)
            expectLine("Parameters Written successfully", "white")
        else
            expectLine("Failed to write parameters.", "red")
        verify(!page.addingDevice)
        verify(!page.writeTimeout.running)
        return dialog
    }
}
