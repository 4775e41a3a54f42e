import QtQuick
import QtTest
import "qrc:/DeviceForm.js" as DeviceForm

// The tool driven by keys and clicks: modals hold the keyboard, Escape closes
// only what may be closed that way, Tab follows the forms, and what the
// gateway reports is shown and sent back faithfully.
TestCase {
    id: testCase
    name: "OperatorInput"
    when: windowShown

    property var window
    readonly property string deviceId: "KV-0001"

    // The window on a fresh simulator, in direct mode or (cloudMode) on the
    // broker's gateway, showing `url`.
    function open(url, cloudMode) {
        var address = gateway.start()
        if (cloudMode) {
            compare(cloud.start(deviceId), deviceId)
            verify(tcpClient.sendTopicDeviceId(deviceId))
            tryVerify(function() { return cloud.toolSubscribed(deviceId) }, 5000)
            cloud.clearReceived()
        }
        window = createTemporaryObject(Qt.createComponent("qrc:/main.qml"), testCase)
        window.currentdeviceIP = address
        window.currentDeviceId = deviceId
        window.ipSelected = !cloudMode && url !== "qrc:/ChooseDeviceIp.qml"
        window.idSelected = !!cloudMode
        window.pageLoader.source = url
        waitForRendering(window.contentItem, 250)
    }

    // The device list with a third device, polled every 7.5 s.
    function openList() {
        open("qrc:/AvailableMeters.qml")
        tryVerify(function() { return tcpClient.connected })
        tcpClient.sendCommand("rs485add 2,1,7.5,0103,Slow")
        tryCompare(named("totalChip"), "text", "Total : 3", 3000)
        waitForRendering(window.contentItem, 250)
    }

    function cleanup() {
        window = null
        tcpClient.disconnectFromDevice()
        gateway.stop()
    }

    function named(name) {
        var item = findChild(window.pageLoader.item, name) || findChild(window.contentItem, name)
                || findChild(window, name)
        verify(item, "no item named " + name)
        return item
    }

    function click(name) {
        var item = named(name)
        tryVerify(function() { return item.visible && item.width > 0 }, 3000, name + " not shown")
        mouseClick(item)
    }

    // Replaces the named field's text by typing.
    function type(name, text) {
        mouseClick(named(name).field || named(name))
        keyClick(Qt.Key_A, Qt.ControlModifier)
        keyClick(Qt.Key_Delete)
        for (var c of text)
            keyClick(c)
    }

    function opened(name) {
        tryCompare(named(name), "opened", true, 8000)
        return named(name)
    }

    function sent(prefix, commands) {
        return commands.filter(function(c) { return c.indexOf(prefix) === 0 }).length
    }

    // The button that opened the dialog keeps no focus behind it.
    function test_keysOnAnOpenResultDialogSendNothingMore_data() {
        var add = { url: "qrc:/AddNewMeterMqtt.qml", button: "addDeviceButton",
                    fields: { hexcommandField: "0103", secondsIdField: "10", nameIdField: "Dup" } }
        var write = { url: "qrc:/SingleRegister.qml", button: "writeButton",
                      fields: { slaveIdField: "1", funcCodeField: "6", addrrsField: "9", valField: "7" } }
        return [ Object.assign({ tag: "Space behind Device Added", key: Qt.Key_Space }, add),
                 Object.assign({ tag: "Enter behind Device Added", key: Qt.Key_Return }, add),
                 Object.assign({ tag: "Space behind Parameters Written", key: Qt.Key_Space }, write) ]
    }

    function test_keysOnAnOpenResultDialogSendNothingMore(data) {
        open(data.url, true)
        for (var name in data.fields)
            type(name, data.fields[name])
        click(data.button)
        var popup = opened("addedSuccesspopup")
        keyClick(Qt.Key_Escape) // only its buttons close it
        verify(popup.opened)
        keyClick(data.key)
        wait(1500)
        compare(sent("rs485add", cloud.gatewayCommands()) + cloud.writeRequests().length, 1)
    }

    function test_escapeClosesOnlyWhatItMay_data() {
        return [ { tag: "status popup", opener: "networkSave", popup: "networkstatusPopUp", closes: true },
                 { tag: "broker popup", popup: "brokerPopup", closes: true },
                 { tag: "reboot question", opener: "rebootButton", popup: "rebootPopup", closes: false },
                 { tag: "delete confirmation", opener: "deleteButton_0", popup: "deletePopup",
                   closes: false } ]
    }

    function test_escapeClosesOnlyWhatItMay(data) {
        if (data.popup === "brokerPopup") {
            open("qrc:/ChooseDeviceIp.qml")
            click("modeMQTT")
            type("inputField", "UNKNOWN-9")
            keyClick(Qt.Key_Return) // Enter in the form connects
        } else if (data.popup === "deletePopup") {
            openList()
        } else {
            open("qrc:/NetworkPage.qml")
            tryCompare(named("ipField"), "text", "192.168.1.100", 3000)
        }
        if (data.opener)
            click(data.opener)
        var popup = opened(data.popup)
        keyClick(Qt.Key_Escape)
        tryCompare(popup, "visible", !data.closes)
        if (data.popup === "brokerPopup") // the focus is back where it was
            verify(named("inputField").activeFocus)
        if (data.popup === "rebootPopup") {
            keyClick(Qt.Key_Return) // on "No"
            tryCompare(popup, "visible", false)
            wait(300)
            compare(sent("REBOOT", gateway.commands()), 0)
        }
    }

    function test_tabFollowsTheForm_data() {
        return [
            { tag: "settings form", url: "qrc:/MqttConfigPage.qml", start: 0,
              order: ["mqttServerField", "portField", "useridField", "showPassword", "passwordField",
                      "cloudSave", "cloudClear"] },
            { tag: "device form", url: "qrc:/AddMeter.qml", start: 2,
              order: ["portCombo", "crcCode", "hexcommandField", "secondsIdField", "nameIdField",
                      "addDeviceButton", "clearButton"] },
            { tag: "device choice", url: "qrc:/ChooseDeviceIp.qml", start: 0,
              order: ["inputField", "connectButton"] }
        ]
    }

    function test_tabFollowsTheForm(data) {
        open(data.url)
        var items = data.order.map(function(n) { return named(n).field || named(n).box || named(n) })
        mouseClick(items[data.start])
        for (var i = data.start - 1; i >= 0; --i) {
            keyClick(Qt.Key_Tab, Qt.ShiftModifier)
            verify(items[i].activeFocus, "Shift+Tab did not reach " + data.order[i])
        }
        for (i = 1; i < items.length; ++i) {
            keyClick(Qt.Key_Tab)
            verify(items[i].activeFocus, "Tab did not reach " + data.order[i])
        }
    }

    // The 7.5 s poll goes back unchanged when left alone; a value that is not
    // an unsigned decimal is refused, not cut short.
    function test_editSendsTheSecondsFaithfully_data() {
        return [ { tag: "poll left alone", typed: "", sent: "rs485mod 2,2,1,7.5,0103,Slow" },
                 { tag: "decimal comma", typed: "10,5" }, { tag: "sign", typed: "+5" } ]
    }

    function test_editSendsTheSecondsFaithfully(data) {
        openList()
        click("editButton_2")
        compare(named("secondsIdField").text, "7.5")
        if (data.typed)
            type("secondsIdField", data.typed)
        click("nameIdField")
        keyClick(Qt.Key_Return)
        if (data.sent)
            return tryVerify(function() { return gateway.commands().indexOf(data.sent) >= 0 })
        compare(named("errText").text, DeviceForm.secondsOutOfRange)
        wait(300)
        compare(sent("rs485mod", gateway.commands()), 0)
    }

    function test_incompleteListIsShownAsSuch_data() {
        return [ { tag: "link dropped mid-list", ended: false }, { tag: "count says more", ended: true } ]
    }

    function test_incompleteListIsShownAsSuch(data) {
        open("qrc:/AvailableMeters.qml")
        gateway.setScriptedReply("GET rs485list", "Device list\nrs485DevCnt=2\n"
                                 + "dev[0]  A  port1  CRC=1  poll=10s  cmd=01\n" + (data.ended ? ">\n" : ""))
        tryCompare(named("totalChip"), "text", "Total : 1", 3000)
        if (!data.ended)
            gateway.dropConnections(0)
        tryVerify(function() { return named("incompleteNotice").visible }, 3000)
        gateway.clearReceived()
        click("readAgainButton")
        tryVerify(function() { return gateway.commands().indexOf("GET rs485list") >= 0 }, 3000)
    }

    // The network page read 9600; by the baud page's reading the gateway holds
    // 14400: the 9600 must not be written back.
    function test_earlierReadingIsNotWrittenBack() {
        open("qrc:/NetworkPage.qml")
        tryVerify(function() { return tcpClient.dataMap["rs485_1_baud"] === "9600" }, 3000)
        gateway.setSetting("rs485_1_baud", "14400")
        click("menuEntry_Baudrate")
        compare(named("port1Combo").currentIndex, -1)
        tryCompare(named("port2Combo"), "currentText", "19200", 3000) // the page's own reading
        gateway.clearReceived()
        click("baudSave")
        compare(named("errTextSim").text, "Select all values")
        wait(300)
        compare(gateway.commands(), [])
    }

    function test_pickingASavedDeviceClearsTheRefusal() {
        tcpClient.saveDeviceId(deviceId)
        open("qrc:/ChooseDeviceIp.qml")
        click("modeMQTT")
        type("inputField", "a/b")
        keyClick(Qt.Key_Return)
        verify(named("connectionErrorText").visible)
        click("deviceCombo")
        keyClick(Qt.Key_Down)
        keyClick(Qt.Key_Return)
        tryCompare(named("inputField"), "text", named("deviceCombo").currentText)
        verify(!named("connectionErrorText").visible)
    }

    // "Save" at the foot of a form taller than the window brings the refusal
    // above the first field into view.
    function test_refusalComesIntoView() {
        open("qrc:/MqttConfigPage.qml")
        click("topicsSection")
        var form = named("topicsForm")
        verify(form.contentHeight > form.height, "the form fits the window")
        mouseWheel(form, form.width / 2, form.height / 2, 0, -2400)
        tryVerify(function() { return form.atYEnd && !form.moving }, 3000)
        click("topicsClear")
        click("topicsSave")
        var line = named("errTextTopics")
        tryCompare(line, "text", "Enter all values")
        tryVerify(function() { var y = line.mapToItem(form, 0, 0).y
                               return y >= 0 && y + line.height <= form.height }, 2000)
    }
}
