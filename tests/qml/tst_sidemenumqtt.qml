import QtQuick
import QtTest
import QtQuick.Controls

// The cloud-mode side menu in the main window, with the broker session of a
// simulated gateway behind it.
TestCase {
    id: testCase
    name: "SideMenuMqtt"
    when: windowShown

    property var window

    function cloudMenu() {
        var menu = null
        tryVerify(function() {
            menu = findChild(window.contentItem, "sideMenuMqtt")
            return menu !== null && menu.visible && menu.width > 0
        }, 3000, "cloud menu not shown")
        return menu
    }

    // Scrolls the entry into view first: on a small screen the last entries
    // sit below the menu's fold.
    function entry(label) {
        var menu = cloudMenu()
        for (var i = 0; i < menu.entries.length; ++i) {
            if (menu.entries[i].label === label)
                findChild(menu, "entryList").positionViewAtIndex(i, ListView.Contain)
        }
        var found = null
        tryVerify(function() {
            found = findChild(cloudMenu(), "menuEntry_" + label)
            return found !== null && found.width > 0
        }, 3000, "no entry " + label)
        waitForRendering(window.contentItem, 250)
        return found
    }

    function init() {
        var component = Qt.createComponent("qrc:/main.qml")
        compare(component.status, Component.Ready, component.errorString())
        window = createTemporaryObject(component, testCase)
        window.currentDeviceId = "KV-0001"
        window.pagehead2 = "Devices - Add Device"
        window.idSelected = true
    }

    function test_entriesLoadTheirPagesAndFollowTheHeader_data() {
        return [
            { tag: "Start/Stop", page: "qrc:/StartOrStop.qml", head: "Device - Start/Stop" },
            { tag: "Add Device", page: "qrc:/AddNewMeterMqtt.qml", head: "Devices - Add Device" },
            { tag: "Device List", page: "qrc:/AvailableMeterMqtt.qml", head: "Devices - Device List" },
            { tag: "Single Register", page: "qrc:/SingleRegister.qml", head: "Registers - Single Register" },
            { tag: "Multiple Register", page: "qrc:/MultipleRegister.qml", head: "Registers - Multiple Register" },
            { tag: "Logs", page: "qrc:/LogMqtt.qml", head: "System - Logs" },
            { tag: "Network Logs", page: "qrc:/NetworkMqtt.qml", head: "Network - Logs" }
        ]
    }

    function test_entriesLoadTheirPagesAndFollowTheHeader(data) {
        var item = entry(data.tag)
        mouseClick(item)
        compare(window.pageLoader.source.toString(), data.page)
        compare(window.pagehead2, data.head)
        verify(item.active)
        compare(String(item.color), "#6fb8c5")
        // The direct-mode header is left alone.
        compare(window.pagehead, "Choose Device")
        compare(window.idSelected, true)
    }

    function test_highlightFollowsTheHeaderWhenAPageNavigates() {
        var add = entry("Add Device")
        var list = entry("Device List")
        verify(add.active)
        verify(!list.active)
        window.pagehead2 = "Devices - Device List"
        verify(!add.active)
        verify(list.active)
        compare(String(add.color), "#00000000")
    }

    function test_chooseDeviceLeavesCloudMode() {
        window.pageLoader.source = "qrc:/firstpage.qml"
        var order = []
        window.idSelectedChanged.connect(function() { order.push("flags") })
        window.pageLoader.sourceChanged.connect(function() { order.push("page") })
        window.pagehead2Changed.connect(function() { order.push("head") })
        mouseClick(entry("Choose Device"))
        compare(window.idSelected, false)
        compare(window.ipSelected, false)
        compare(window.pageLoader.source.toString(), "qrc:/ChooseDeviceIp.qml")
        compare(window.pagehead2, "Choose Device")
        compare(order, ["flags", "page", "head"])
    }

    function test_theShownPageIsNotCreatedAgain() {
        mouseClick(entry("Logs"))
        var page = window.pageLoader.item
        mouseClick(entry("Logs"))
        verify(window.pageLoader.item === page)
    }

    function test_identityAndSessionStatusFollowTheBackend() {
        var menu = cloudMenu()
        compare(findChild(menu, "identity").text, "KV-0001")
        var status = findChild(menu, "linkStatus")
        compare(status.text, "Not Connected")
        compare(cloud.start(), "KV-0001")
        tryVerify(function() { return cloud.gatewayOnline() }, 5000)
        verify(tcpClient.sendTopicDeviceId("KV-0001"))
        tryCompare(status, "text", "Connected", 5000)
        cloud.stopBroker()
        tryCompare(status, "text", "Not Connected", 5000)
        verify(cloud.restartBroker())
        // The session tries once more 3 s after the drop.
        tryCompare(status, "text", "Connected", 8000)
    }

    function test_noRebootButtonInCloudMode() {
        var menu = cloudMenu()
        compare(findChild(menu, "rebootButton"), null)
    }
}
