import QtQuick
import QtTest

// The tool driven by keys: result dialogs hold the keyboard and Tab follows
// the forms. (Escape is tried on each popup in its page's runner.)
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
                + cloud.messages(topic("sub")).length, 1)
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
