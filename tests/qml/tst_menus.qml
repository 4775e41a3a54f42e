import QtQuick
import QtQuick.Controls
import QtTest

// The main window with the side menus of both modes.
PageCase {
    name: "Menus"

    function init() {
        openWindow()
    }

    function enterMode(cloud) {
        if (cloud) {
            window.currentDeviceId = deviceId
            window.pagehead2 = "Devices - Add Device"
            window.idSelected = true
        } else {
            window.currentdeviceIP = "127.0.0.1"
            window.pagehead = "Gateway - Network"
            window.ipSelected = true
        }
    }

    // Scrolls the entry into view first: on a small screen the last entries
    // sit below the menu's fold.
    function entry(cloud, label) {
        var menu = null
        tryVerify(function() {
            menu = findChild(window.contentItem, cloud ? "sideMenuMqtt" : "sideMenu")
            return menu !== null && menu.visible && menu.width > 0
        }, 3000, "menu not shown")
        for (var i = 0; i < menu.entries.length; ++i) {
            if (menu.entries[i].label === label)
                findChild(menu, "entryList").positionViewAtIndex(i, ListView.Contain)
        }
        var found = null
        tryVerify(function() {
            found = findChild(menu, "menuEntry_" + label)
            return found !== null && found.visible && found.width > 0
        }, 3000, "no entry " + label)
        waitForRendering(window.contentItem, 250)
        return found
    }

    function test_startsOnTheDeviceChoiceWithoutMenus() {
        compare(window.pageLoader.source.toString(), "qrc:/ChooseDeviceIp.qml")
        compare(findChild(window, "rebootButton").visible, false)
    }

    function test_entriesLoadTheirPagesAndFollowTheHeader_data() {
        return [
            { tag: "Network", page: "qrc:/NetworkPage.qml", head: "Gateway - Network" },
            { tag: "Cloud", page: "qrc:/MqttConfigPage.qml", head: "Gateway - Cloud" },
            { tag: "Add Device", page: "qrc:/AddMeter.qml", head: "Devices - Add Device" },
            { tag: "Device List", page: "qrc:/AvailableMeters.qml", head: "Devices - Device List" },
            { tag: "Baudrate", page: "qrc:/SetBaudrate.qml", head: "Devices - Device Baudrate" },
            { tag: "Settings", page: "qrc:/AllSettings.qml", head: "Wi-Fi/Bluetooth/SIM Settings" },
            { tag: "Logs", page: "qrc:/Log.qml", head: "System - Logs" },
            { tag: "cloud Start/Stop", cloud: true, page: "qrc:/StartOrStop.qml", head: "Device - Start/Stop" },
            { tag: "cloud Add Device", cloud: true, page: "qrc:/AddNewMeterMqtt.qml", head: "Devices - Add Device" },
            { tag: "cloud Device List", cloud: true, page: "qrc:/AvailableMeterMqtt.qml", head: "Devices - Device List" },
            { tag: "cloud Single Register", cloud: true, page: "qrc:/SingleRegister.qml",
              head: "Registers - Single Register" },
            { tag: "cloud Multiple Register", cloud: true, page: "qrc:/MultipleRegister.qml",
              head: "Registers - Multiple Register" },
            { tag: "cloud Logs", cloud: true, page: "qrc:/LogMqtt.qml", head: "System - Logs" },
            { tag: "cloud Network Logs", cloud: true, page: "qrc:/NetworkMqtt.qml", head: "Network - Logs" }
        ]
    }

    function test_entriesLoadTheirPagesAndFollowTheHeader(data) {
        enterMode(data.cloud)
        var item = entry(data.cloud, data.tag.replace("cloud ", ""))
        mouseClick(item)
        compare(window.pageLoader.source.toString(), data.page)
        compare(data.cloud ? window.pagehead2 : window.pagehead, data.head)
        verify(item.active)
        // The other mode's header is left alone; the page is not made again.
        compare(data.cloud ? window.pagehead : window.pagehead2, "Choose Device")
        var shown = window.pageLoader.item
        mouseClick(item)
        verify(window.pageLoader.item === shown)
    }

    function test_highlightFollowsTheHeaderWhenAPageNavigates() {
        enterMode(true)
        var add = entry(true, "Add Device")
        var list = entry(true, "Device List")
        verify(add.active && !list.active)
        window.pagehead2 = "Devices - Device List"
        verify(!add.active && list.active)
    }

    function test_chooseDeviceLeavesTheMode_data() {
        return [ { tag: "direct", cloud: false }, { tag: "cloud", cloud: true } ]
    }

    function test_chooseDeviceLeavesTheMode(data) {
        enterMode(data.cloud)
        window.pageLoader.source = "qrc:/firstpage.qml"
        var order = []
        window.idSelectedChanged.connect(function() { order.push("flags") })
        window.ipSelectedChanged.connect(function() { order.push("flags") })
        window.pageLoader.sourceChanged.connect(function() { order.push("page") })
        window[data.cloud ? "pagehead2Changed" : "pageheadChanged"].connect(function() { order.push("head") })
        mouseClick(entry(data.cloud, "Choose Device"))
        compare(window.ipSelected || window.idSelected, false)
        compare(window.pageLoader.source.toString(), "qrc:/ChooseDeviceIp.qml")
        compare(data.cloud ? window.pagehead2 : window.pagehead, "Choose Device")
        compare(order, ["flags", "page", "head"])
    }

    function test_statusFollowsTheLink_data() {
        return [ { tag: "direct", cloud: false }, { tag: "cloud", cloud: true } ]
    }

    function test_statusFollowsTheLink(data) {
        enterMode(data.cloud)
        var menu = findChild(window.contentItem, data.cloud ? "sideMenuMqtt" : "sideMenu")
        var status = findChild(menu, "linkStatus")
        tryCompare(status, "text", "Not Connected")
        if (!data.cloud) {
            address = gateway.start()
            tcpClient.connectToDevice(address, 8881)
            tryCompare(status, "text", "Connected")
            tcpClient.disconnectFromDevice()
            tryCompare(status, "text", "Not Connected")
            return
        }
        compare(findChild(menu, "identity").text, deviceId)
        compare(findChild(menu, "rebootButton"), null)
        compare(cloud.start(deviceId), deviceId)
        verify(tcpClient.sendTopicDeviceId(deviceId))
        tryCompare(status, "text", "Connected", 5000)
        cloud.stopBroker()
        tryCompare(status, "text", "Not Connected", 5000)
        verify(cloud.restartBroker())
        // The session tries once more 3 s after the drop.
        tryCompare(status, "text", "Connected", 8000)
    }

    function test_rebootAsksFirstAndOnlyItsButtonsClose() {
        address = gateway.start()
        enterMode(false)
        tcpClient.connectToDevice(address, 8881)
        tryCompare(tcpClient, "connected", true)
        entry(false, "Network")
        var reboot = findChild(window.contentItem, "rebootButton")
        mouseClick(reboot)
        var popup = waitOpened("rebootPopup")
        // Key events of the test go to the test's own window, so the policy
        // itself is checked.
        compare(popup.closePolicy, Popup.NoAutoClose)
        mouseClick(findChild(popup, "rebootNo"))
        tryCompare(popup, "visible", false)
        wait(200)
        compare(gateway.commands(), [])
        mouseClick(reboot)
        tryCompare(popup, "opened", true)
        mouseClick(findChild(popup, "rebootYes"))
        tryCompare(popup, "visible", false)
        tryVerify(function() { return gateway.receivedBytes() === "REBOOT\r\n" })
    }

    function test_brokerPopupShowsTheMessageAsPlainText() {
        window.showBrokerPopup("<b>No MQTT broker</b>")
        var popup = waitOpened("brokerPopup")
        compare(findChild(popup, "brokerMessage").text, "<b>No MQTT broker</b>")
        compare(findChild(popup, "brokerMessage").textFormat, Text.PlainText)
        verify(popup.closePolicy & Popup.CloseOnEscape)
    }
}
