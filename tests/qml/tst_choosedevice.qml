import QtQuick
import QtQuick.Controls
import QtTest
import "qrc:/DeviceChoice.js" as DeviceChoice

// The device choice page: both modes, what is refused, what is connected.
PageCase {
    name: "ChooseDevice"

    function init() {
        openChoice()
    }

    function field() { return named("inputField") }

    function enter(text) {
        field().text = text
        click("connectButton")
    }

    function chooseMqtt() {
        click("modeMQTT")
        verify(page.mqttMode)
    }

    function test_addressRule_data() {
        return [["all 255", "255.255.255.255", true], ["two-digit leading zero", "10.01.0.9", true],
                ["field above 255", "256.1.1.1", false], ["three fields", "1.2.3", false],
                ["three-digit leading zero", "010.1.1.1", false], ["five fields", "1.2.3.4.5", false],
                ["letters", "a.b.c.d", false], ["empty field", "1..2.3", false]
               ].map(function(r) { return { tag: r[0], text: r[1], valid: r[2] } })
    }

    function test_addressRule(data) {
        compare(DeviceChoice.isValidIP(data.text), data.valid)
    }

    function test_opensWithTheLastAddressAndDropsAnOpenLink() {
        address = gateway.start()
        tcpClient.connectToDevice(address, 8881)
        tryCompare(tcpClient, "connected", true)
        openChoice(address)
        compare([tcpClient.connected, field().text], [false, address])
    }

    function test_refusalsSendNothing_data() {
        return [ { tag: "empty", text: "", addressMessage: false }, { tag: "malformed", text: "192.168.1", addressMessage: true },
                 { tag: "space after", text: "127.0.0.1 ", addressMessage: true } ]
    }

    function test_refusalsSendNothing(data) {
        address = gateway.start()
        enter(data.text)
        compare([page.connecting, named("addressMessage").visible], [false, data.addressMessage])
        if (data.text === "")
            compare(String(field().background.border.color), "#ff5555")
        wait(100)
        compare([gateway.connectionCount(0), window.ipSelected], [0, false])
    }

    function test_connectsAndHandsTheLinkToTheNetworkPage() {
        address = gateway.start()
        var guard = named("connectTimeout")
        enter(address)
        // The 10 s guard is armed before the link answers.
        compare([guard.running, guard.interval], [true, 10000])
        tryCompare(window, "ipSelected", true)
        compare([window.currentdeviceIP, window.pageLoader.source.toString(), tcpClient.connected,
                 gateway.connectionCount(0)], [address, "qrc:/NetworkPage.qml", true, 1])
    }

    function test_socketErrorIsShownAndTheAttemptEnds() {
        // Nothing listens here, so the connection is refused.
        enter("127.0.63.250")
        tryCompare(page, "connecting", false)
        verify(page.connectionError.length > 0 && named("connectionErrorText").visible && !window.ipSelected)
        // A late time-out keeps the error text.
        var shown = page.connectionError
        named("connectTimeout").triggered()
        compare(page.connectionError, shown)
    }

    function test_timeOutGivesUpWithItsOwnMessage() {
        window.currentdeviceIP = "127.0.63.251"
        page.connecting = true
        var timer = named("connectTimeout")
        timer.interval = 10
        timer.start()
        tryCompare(page, "connecting", false)
        compare(page.connectionError, "Connection timed out. Could not reach 127.0.63.251 within 10 seconds.")
    }

    function test_switchingModesEmptiesTheField() {
        enter("1.2")
        chooseMqtt()
        compare([field().text, page.validationAttempted], ["", false])
        field().text = "x"
        click("modeTCP")
        compare([page.mqttMode, field().text], [false, ""])
    }

    function test_cloudWithoutBrokerSettingsShowsTheBrokerPopup() {
        gateway.removeSettingsFile()
        chooseMqtt()
        enter("02 04 AB")
        compare(window.currentDeviceId, "0204AB")
        waitOpened("brokerPopup")
        compare(window.brokerPopupMessage, "MQTT broker not configured.\n"
                + "Connect to the device via TCP first to fetch its MQTT settings.")
        compare([window.idSelected, tcpClient.deviceIds.indexOf("0204AB")], [false, -1])
    }

    // Typed or picked, a new text makes the refusal stale.
    function test_pickingASavedDeviceClearsTheRefusal() {
        tcpClient.saveDeviceId(deviceId)
        chooseMqtt()
        type("inputField", "a/b")
        keyClick(Qt.Key_Return)
        verify(named("connectionErrorText").visible)
        click("deviceCombo")
        keyClick(Qt.Key_Down)
        keyClick(Qt.Key_Return)
        tryCompare(field(), "text", named("deviceCombo").currentText)
        verify(!named("connectionErrorText").visible)
    }

    function test_cloudIdentifiersThatAreNotTopicLevelsAreRefused_data() {
        return [ { tag: "plus", text: "KV+1" }, { tag: "hash", text: "#" } ]
    }

    function test_cloudIdentifiersThatAreNotTopicLevelsAreRefused(data) {
        chooseMqtt()
        var before = window.currentDeviceId
        enter(data.text)
        compare([page.connectionError, window.currentDeviceId, window.idSelected, named("brokerPopup").visible],
                [DeviceChoice.unusableIdMessage, before, false, false])
        verify(tcpClient.deviceIds.indexOf(data.text) < 0)
    }
}
