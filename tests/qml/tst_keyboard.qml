import QtQuick
import QtTest

// The tool driven by keys: modals hold the keyboard, Escape closes only what
// may be closed that way, and Tab follows the forms.
PageCase {
    name: "OperatorInput"

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
        openCloud(data.url)
        for (var name in data.fields)
            type(name, data.fields[name])
        click(data.button)
        var popup = waitOpened("addedSuccesspopup", 8000)
        keyClick(Qt.Key_Escape) // only its buttons close it
        verify(popup.opened)
        keyClick(data.key)
        wait(1500)
        compare(changes().filter(function(c) { return c.indexOf("rs485add") === 0 }).length
                + cloud.writeRequests().length, 1)
    }

    function test_escapeClosesOnlyWhatItMay_data() {
        return [ { tag: "status popup", url: "qrc:/NetworkPage.qml", opener: "networkSave",
                   popup: "networkstatusPopUp", closes: true },
                 { tag: "broker popup", popup: "brokerPopup", closes: true },
                 { tag: "delete confirmation", url: "qrc:/AvailableMeters.qml", opener: "deleteButton_0",
                   popup: "deletePopup", closes: false } ]
    }

    function test_escapeClosesOnlyWhatItMay(data) {
        if (data.url) {
            if (data.closes)
                openRead(data.url)
            else
                openDirect(data.url, 8881)
            tryVerify(function() { return findChild(page, data.opener) }, 5000)
            click(data.opener)
        } else {
            openChoice()
            click("modeMQTT")
            type("inputField", "UNKNOWN-9")
            keyClick(Qt.Key_Return) // Enter in the form connects
        }
        var popup = waitOpened(data.popup, 8000)
        keyClick(Qt.Key_Escape)
        tryCompare(popup, "visible", !data.closes)
        if (!data.url) // the focus is back where it was
            verify(named("inputField").activeFocus)
    }

    function test_tabFollowsTheForm_data() {
        return [
            { tag: "settings form", url: "qrc:/MqttConfigPage.qml", start: 0,
              order: ["mqttServerField", "portField", "useridField", "showPassword", "passwordField",
                      "cloudSave", "cloudClear"] },
            { tag: "device form", url: "qrc:/AddMeter.qml", start: 2,
              order: ["portCombo", "crcCode", "hexcommandField", "secondsIdField", "nameIdField",
                      "addDeviceButton", "clearButton"] },
            { tag: "device choice", start: 0, address: "10.0.0.1", order: ["inputField", "connectButton"] }
        ]
    }

    function test_tabFollowsTheForm(data) {
        if (data.url)
            openDirect(data.url)
        else
            openChoice(data.address)
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
}
