import QtQuick
import QtQuick.Controls
import QtTest
import "qrc:/DeviceChoice.js" as DeviceChoice

// The device choice page: both modes, what is refused, what is connected;
// and the operator's whole road from it.
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

    // The last address is offered and an open link dropped; "Connect" arms the
    // 10 s guard before the link answers, then hands it to the network page.
    function test_connectsToTheLastAddressAfresh() {
        address = gateway.start()
        tcpClient.connectToDevice(address, 8881)
        tryCompare(tcpClient, "connected", true)
        openChoice(address)
        compare([tcpClient.connected, field().text], [false, address])
        tryVerify(function() { return gateway.connectionCount(0) === 0 })
        var guard = named("connectTimeout")
        click("connectButton")
        compare([guard.running, guard.interval], [true, 10000])
        tryCompare(window, "ipSelected", true)
        compare([window.currentdeviceIP, window.pageLoader.source.toString(), tcpClient.connected,
                 gateway.connectionCount(0)], [address, "qrc:/NetworkPage.qml", true, 1])
    }

    // Cloud identifiers holding + # / are no topic levels. After a refusal the
    // other mode starts afresh.
    function test_refusalsSendNothing_data() {
        return [ { tag: "empty", text: "" }, { tag: "malformed", text: "192.168.1", addressMessage: true },
                 { tag: "space after", text: "127.0.0.1 ", addressMessage: true },
                 { tag: "cloud, plus", text: "KV+1", mqtt: true }, { tag: "cloud, hash", text: "#", mqtt: true } ]
    }

    function test_refusalsSendNothing(data) {
        address = gateway.start()
        if (data.mqtt)
            chooseMqtt()
        var before = window.currentDeviceId
        enter(data.text)
        compare([page.connecting, named("addressMessage").visible, page.connectionError, window.currentDeviceId],
                [false, !!data.addressMessage, data.mqtt ? DeviceChoice.unusableIdMessage : "", before])
        if (data.text === "")
            compare(String(field().background.border.color), "#ff5555")
        wait(100)
        compare([gateway.connectionCount(0), window.ipSelected, window.idSelected, named("brokerPopup").visible,
                 tcpClient.deviceIds.indexOf(data.text)], [0, false, false, false, -1])
        click(data.mqtt ? "modeTCP" : "modeMQTT")
        compare([page.mqttMode, field().text, page.validationAttempted, page.connectionError], [!data.mqtt, "", false, ""])
    }

    // A refused connection ends the attempt with the socket's error, which a
    // late time-out keeps; a time-out alone says so with the address.
    function test_failedAttemptsEndWithTheirError() {
        enter("127.0.63.250")
        tryCompare(page, "connecting", false)
        var timer = named("connectTimeout"), shown = page.connectionError
        verify(shown.length > 0 && named("connectionErrorText").visible && !window.ipSelected)
        timer.triggered()
        compare(page.connectionError, shown)
        page.connectionError = ""
        page.connecting = true
        timer.interval = 10
        timer.start()
        tryCompare(page, "connecting", false)
        compare(page.connectionError, "Connection timed out. Could not reach 127.0.63.250 within 10 seconds.")
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

    // The gateway is unknown to cloud mode until direct mode has read it;
    // once it has, cloud mode selects it from its list and adds a device.
    function test_operatorsRoad() {
        var roadId = "KV-0042"
        gateway.removeSettingsFile()
        address = gateway.start()
        verify(cloud.join(roadId, false))
        cloudMode = true
        // Enter connects; the spaces typed are dropped from the identifier.
        chooseMqtt()
        type("inputField", "KV-00 42")
        keyClick(Qt.Key_Return)
        compare(window.currentDeviceId, roadId)
        var popup = waitOpened("brokerPopup")
        compare([window.brokerPopupMessage, named("brokerMessage").textFormat], ["MQTT broker not configured.\n"
                + "Connect to the device via TCP first to fetch its MQTT settings.", Text.PlainText])
        compare([window.idSelected, tcpClient.deviceIds.indexOf(roadId)], [false, -1])
        keyClick(Qt.Key_Escape) // closes it and gives the focus back
        tryCompare(popup, "visible", false)
        verify(field().activeFocus)

        // Direct mode reads the gateway's settings, its broker among them.
        click("modeTCP")
        enter(address)
        shownPage("qrc:/NetworkPage.qml")
        tryVerify(function() { return tcpClient.deviceIds.indexOf(roadId) >= 0 }, 8000, "identifier not learned")

        // Cloud mode offers it in its list.
        mouseClick(findChild(findChild(window, "sideMenu"), "menuEntry_Choose Device"))
        shownPage("qrc:/ChooseDeviceIp.qml")
        chooseMqtt()
        var combo = named("deviceCombo")
        combo.currentIndex = tcpClient.deviceIds.indexOf(roadId)
        combo.activated(combo.currentIndex)
        compare(field().text, roadId)
        click("connectButton")
        shownPage("qrc:/AddNewMeterMqtt.qml")
        compare([window.idSelected, window.currentDeviceId], [true, roadId])
        tryCompare(tcpClient, "connectedmqtt", true, 8000)

        // Add, then see it in the list.
        fill({ hexcommandField: "01 03 00 0A 00 02", secondsIdField: "10", nameIdField: "Road meter" })
        click("addDeviceButton")
        waitOpened("addedSuccesspopup", 8000)
        wait(100)
        click("addedSuccesspopupPrimary")
        shownPage("qrc:/AvailableMeterMqtt.qml")
        compare(window.pagehead2, "Devices - Device List")
        tryVerify(function() { var cell = findChild(page, "cell_2_0"); return cell && cell.text === "Road meter" }, 8000)
        compare(changes(), ["rs485add 1,1,10,0103000A0002,Road meter", "SAVE"])
        // Nothing of cloud mode went over the direct link.
        compare(gateway.commands().filter(function(c) { return c !== "GETALL" }), [])
    }
}
