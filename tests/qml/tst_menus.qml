import QtQuick
import QtQuick.Controls
import QtTest

// The main window with the side menus of both modes.
PageCase {
    name: "Menus"

    function init() {
        Qt.application.version = "1.2.3"
        openWindow()
    }

    function enterMode(cloud) {
        window.currentdeviceIP = "127.0.0.1"
        window.currentDeviceId = deviceId
        window[cloud ? "pagehead2" : "pagehead"] = "Devices - Device List"
        window[cloud ? "idSelected" : "ipSelected"] = true
    }

    function shownChild(root, name) {
        var found = null
        tryVerify(function() {
            found = findChild(root, name)
            return found !== null && found.visible && found.width > 0
        }, 3000, name + " is not shown")
        return found
    }

    function menu(cloud) { return shownChild(window.contentItem, cloud ? "sideMenuMqtt" : "sideMenu") }

    // On a small screen the last entries sit below the fold: scroll first.
    function entry(cloud, label) {
        var shown = menu(cloud)
        var index = shown.entries.findIndex(function(e) { return e.label === label })
        findChild(shown, "entryList").positionViewAtIndex(index, ListView.Contain)
        var found = shownChild(shown, "menuEntry_" + label)
        waitForRendering(window.contentItem, 250)
        return found
    }

    // The menu names the gateway as its mode does. Every entry loads its page
    // (as the window's description names it, not as the menu lists it) under
    // its header and is then the one highlighted; the page shown is not made
    // again, the other mode's header is left alone, and About opens over it.
    function test_entriesLoadTheirPages_data() {
        var both = { "Backup": "Backup", "Fleet": "Fleet" }
        var direct = { "Network": "NetworkPage", "Cloud": "MqttConfigPage", "Add Device": "AddMeter", "Device List": "AvailableMeters",
                       "Baudrate": "SetBaudrate", "Logs": "Log", "Settings": "AllSettings", "Trends": "Trends" }
        var cloud = { "Start/Stop": "StartOrStop", "Add Device": "AddNewMeterMqtt", "Device List": "AvailableMeterMqtt",
                      "Logs": "LogMqtt", "Single Register": "SingleRegister", "Network Logs": "NetworkMqtt",
                      "Multiple Register": "MultipleRegister", "Trends": "TrendsMqtt" }
        return [ { tag: "direct", cloud: false, pages: Object.assign(direct, both) },
                 { tag: "cloud", cloud: true, pages: Object.assign(cloud, both) } ]
    }

    function test_entriesLoadTheirPages(data) {
        enterMode(data.cloud)
        var head = data.cloud ? "pagehead2" : "pagehead", other = data.cloud ? "pagehead" : "pagehead2"
        compare(findChild(menu(data.cloud), "identity").text, data.cloud ? deviceId : "127.0.0.1")
        var visited = []
        for (var e of menu(data.cloud).entries) {
            if (e.leaves)
                continue
            var expected = data.pages[e.label]
            verify(expected || e.about, "no page is named for the entry " + e.label)
            visited.push(e.label)
            var item = entry(data.cloud, e.label), before = window.pageLoader.item, heads = [window[head], window[other]]
            mouseClick(item)
            if (e.about) {
                var dialog = findChild(menu(data.cloud), "aboutDialog")
                tryCompare(dialog, "opened", true)
                compare(findChild(dialog.contentItem, "aboutVersion").text, "Version 1.2.3")
                verify(window.pageLoader.item === before && !item.active)
                compare([window[head], window[other]], heads)
                dialog.close()
                tryCompare(dialog, "visible", false)
                continue
            }
            tryCompare(window.pageLoader, "status", Loader.Ready)
            compare([window.pageLoader.source.toString(), window[head], window[other]],
                    ["qrc:/" + expected + ".qml", e.head, "Choose Device"])
            verify(item.active, e.label)
            var shown = window.pageLoader.item
            mouseClick(item)
            verify(window.pageLoader.item === shown, e.label + " made again")
        }
        verify(Object.keys(data.pages).every(function(label) { return visited.indexOf(label) >= 0 }),
               "an entry is missing: " + JSON.stringify(visited))
        // A page that navigates by itself moves the highlight with its header.
        window[head] = "Devices - Add Device"
        verify(entry(data.cloud, "Add Device").active && !entry(data.cloud, "Device List").active)
        // "Choose Device" leaves the mode: flags first, then the page, then the header.
        var order = []
        window.idSelectedChanged.connect(function() { order.push("flags") })
        window.ipSelectedChanged.connect(function() { order.push("flags") })
        window.pageLoader.sourceChanged.connect(function() { order.push("page") })
        window[data.cloud ? "pagehead2Changed" : "pageheadChanged"].connect(function() { order.push("head") })
        mouseClick(entry(data.cloud, "Choose Device"))
        compare([window.ipSelected || window.idSelected, window.pageLoader.source.toString()],
                [false, "qrc:/ChooseDeviceIp.qml"])
        compare(order, ["flags", "page", "head"])
    }

    // The status follows the link. Escape and clicks beside the question leave
    // it open; Enter on the focused "No" sends nothing; "Yes" sends the command.
    function test_rebootAsksFirst() {
        enterMode(false)
        var status = findChild(menu(false), "linkStatus")
        tryCompare(status, "text", "Not Connected")
        tcpClient.connectToDevice(gateway.start(), 8881)
        tryCompare(status, "text", "Connected")
        var reboot = entry(false, "Network") && findChild(window.contentItem, "rebootButton")
        mouseClick(reboot)
        var popup = waitOpened("rebootPopup")
        keyClick(Qt.Key_Escape)
        mouseClick(window.contentItem, 5, 5)
        wait(100)
        verify(popup.opened)
        keyClick(Qt.Key_Return)
        tryCompare(popup, "visible", false)
        wait(200)
        compare(gateway.commands(), [])
        mouseClick(reboot)
        tryCompare(popup, "opened", true)
        mouseClick(findChild(popup, "rebootYes"))
        tryCompare(popup, "visible", false)
        tryVerify(function() { return gateway.received(0) === "REBOOT\r\n" })
        tcpClient.disconnectFromDevice()
        tryCompare(status, "text", "Not Connected")
    }

    // In cloud mode the status line opens the broker popup: whether the link
    // is up, and how it is protected.
    function test_statusTellsHowTheBrokerIsReached() {
        verify(cloud.join(deviceId), "gateway or tool not on the broker")
        enterMode(true)
        var status = findChild(menu(true), "linkStatus")
        tryCompare(status, "text", "Connected")
        findChild(menu(true), "entryList").positionViewAtEnd()
        waitForRendering(window.contentItem, 250)
        mouseClick(status)
        var popup = waitOpened("brokerPopup")
        compare([findChild(popup.contentItem, "brokerMessage").text, findChild(popup.contentItem, "brokerLink").text],
                ["Connected to the broker.", "Not encrypted (plain TCP)"])
        keyClick(Qt.Key_Escape)
        tryCompare(popup, "visible", false)
    }
}
