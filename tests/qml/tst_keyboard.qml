import QtQuick
import QtTest

// The tool driven by keys: Tab follows the forms. (Escape, Space and Enter on
// each popup are tried in its page's runner.)
PageCase {
    name: "OperatorInput"

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
