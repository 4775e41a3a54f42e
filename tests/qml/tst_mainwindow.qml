import QtQuick
import QtTest
import QtQuick.Controls

// The main window and the direct-mode side menu.
TestCase {
    id: testCase
    name: "MainWindow"
    when: windowShown

    property var window

    // Waits for a named item to exist and be laid out (menu entries are
    // created once the menu is shown).
    function waitForNamed(root, name) {
        var found = null
        tryVerify(function() {
            found = findChild(root, name)
            return found !== null && found.visible && found.width > 0
        }, 3000, "no visible item named " + name)
        waitForRendering(window.contentItem, 250) // laid out where a click lands
        return found
    }

    function init() {
        var component = Qt.createComponent("qrc:/main.qml")
        compare(component.status, Component.Ready, component.errorString())
        window = createTemporaryObject(component, testCase)
        verify(window)
    }

    function cleanup() {
        tcpClient.disconnectFromDevice()
        gateway.stop()
    }

    function test_startsOnTheDeviceChoiceWithoutMenusOrHeader() {
        compare(window.title, "Industrial 4G Gateway Configuration Tool")
        compare(window.pageLoader.source.toString(), "qrc:/ChooseDeviceIp.qml")
        compare(window.ipSelected, false)
        compare(window.idSelected, false)
        var menu = findChild(window, "rebootButton")
        verify(menu)
        compare(menu.visible, false)
    }

    function test_menuEntriesLoadTheirPagesAndFollowThePageHeader_data() {
        return [
            { tag: "Network", page: "qrc:/NetworkPage.qml", head: "Gateway - Network" },
            { tag: "Cloud", page: "qrc:/MqttConfigPage.qml", head: "Gateway - Cloud" },
            { tag: "Add Device", page: "qrc:/AddMeter.qml", head: "Devices - Add Device" },
            { tag: "Device List", page: "qrc:/AvailableMeters.qml", head: "Devices - Device List" },
            { tag: "Baudrate", page: "qrc:/SetBaudrate.qml", head: "Devices - Device Baudrate" },
            { tag: "Settings", page: "qrc:/AllSettings.qml", head: "Wi-Fi/Bluetooth/SIM Settings" },
            { tag: "Logs", page: "qrc:/Log.qml", head: "System - Logs" }
        ]
    }

    function test_menuEntriesLoadTheirPagesAndFollowThePageHeader(data) {
        window.currentdeviceIP = "127.0.0.1"
        window.ipSelected = true
        var entry = waitForNamed(window.contentItem, "menuEntry_" + data.tag)
        mouseClick(entry)
        compare(window.pageLoader.source.toString(), data.page)
        compare(window.pagehead, data.head)
        verify(entry.active)
        compare(String(entry.color), "#6fb8c5")
    }

    function test_chooseDeviceLeavesDirectMode() {
        window.ipSelected = true
        window.pagehead = "Gateway - Network"
        var entry = waitForNamed(window.contentItem, "menuEntry_Choose Device")
        mouseClick(entry)
        compare(window.ipSelected, false)
        compare(window.idSelected, false)
        compare(window.pagehead, "Choose Device")
        compare(window.pageLoader.source.toString(), "qrc:/ChooseDeviceIp.qml")
    }

    function test_theSamePageIsNotCreatedAgain() {
        window.ipSelected = true
        var entry = waitForNamed(window.contentItem, "menuEntry_Logs")
        mouseClick(entry)
        var page = window.pageLoader.item
        mouseClick(entry)
        verify(window.pageLoader.item === page)
    }

    function test_statusFollowsTheLink() {
        var address = gateway.start()
        verify(address.length > 0)
        window.ipSelected = true
        var status = waitForNamed(window.contentItem, "linkStatus")
        compare(status.text, "Not Connected")
        tcpClient.connectToDevice(address, 8881)
        tryCompare(status, "text", "Connected")
        tcpClient.disconnectFromDevice()
        tryCompare(status, "text", "Not Connected")
    }

    function test_rebootAsksFirstAndOnlyItsButtonsClose() {
        var address = gateway.start()
        window.ipSelected = true
        tcpClient.connectToDevice(address, 8881)
        tryCompare(tcpClient, "connected", true)
        var reboot = waitForNamed(window.contentItem, "rebootButton")
        mouseClick(reboot)
        var popup = findChild(window, "rebootPopup")
        verify(popup)
        tryCompare(popup, "opened", true)
        // Key events of the test go to the test's own window, so the policy
        // itself is checked.
        compare(popup.closePolicy, Popup.NoAutoClose)

        var no = findChild(popup, "rebootNo")
        mouseClick(no)
        tryCompare(popup, "visible", false)
        wait(200)
        verify(gateway.commands().indexOf("REBOOT") < 0)

        mouseClick(reboot)
        tryCompare(popup, "opened", true)
        mouseClick(findChild(popup, "rebootYes"))
        tryCompare(popup, "visible", false)
        tryVerify(function() { return gateway.commands().indexOf("REBOOT") >= 0 })
        verify(gateway.receivedBytes().indexOf("REBOOT\r\n") >= 0)
    }

    function test_brokerPopupShowsTheMessageAsPlainText() {
        window.showBrokerPopup("<b>No MQTT broker</b>")
        var popup = findChild(window, "brokerPopup")
        verify(popup)
        tryCompare(popup, "opened", true)
        compare(window.brokerPopupMessage, "<b>No MQTT broker</b>")
        var shown = findChild(popup, "brokerMessage")
        compare(shown.textFormat, Text.PlainText)
        verify(popup.closePolicy & Popup.CloseOnEscape)
    }
}
