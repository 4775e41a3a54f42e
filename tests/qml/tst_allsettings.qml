import QtQuick
import QtTest

// The Wi-Fi, Bluetooth and SIM page: three sections, one acknowledgement-
// paced save and two timer-paced ones.
SettingsPageCase {
    name: "AllSettings"

    function test_slotFollowsTheGatewayOnlyOnExactText_data() {
        return [
            { tag: "full entry text", reported: "2  (SIM2)", index: 1 },
            { tag: "digit alone", reported: "2", index: -1 }
        ]
    }

    function test_slotFollowsTheGatewayOnlyOnExactText(data) {
        openAfterReadingWith("simSlot", data.reported)
        compare(named("simSlotCombo").currentIndex, data.index)
    }

    // The slot drop-down takes what the map holds when the page opens, so
    // another settings page reads the gateway first.
    function openAfterReadingWith(key, value) {
        openReadPage("qrc:/NetworkPage.qml")
        gateway.setSetting(key, value)
        tcpClient.sendCommand("GETALL")
        tryVerify(function() { return tcpClient.dataMap[key] === value }, 3000)
        wait(100)
        gateway.clearReceived()
        window.pageLoader.source = "qrc:/AllSettings.qml"
        page = window.pageLoader.item
        arrival("GETALL", 2500)
        wait(300)
        gateway.clearReceived()
    }

    function test_simSaveWithoutSlotIsRefused() {
        openAfterReadingWith("simSlot", "3")
        click("simSection")
        waitForRendering(window.contentItem, 250)
        compare(named("simSlotCombo").currentIndex, -1)
        click("simSave")
        compare(named("errTextSim").text, "Select a SIM slot")
        compare(String(named("errTextSim").color), String(Qt.color("red")))
        verify(!page.allSettingDevice)
        wait(2300)
        compare(settingCommands(), [])
    }

    function test_emptyFieldsAreRefused_data() {
        return [
            { tag: "Wi-Fi SSID", section: "wifiSection", empty: "wifiSsidField", button: "wifiSave", line: "errText" },
            { tag: "Bluetooth pin", section: "bleSection", empty: "blePinField", button: "bleSave", line: "errTextBle" },
            { tag: "SIM 2 APN", section: "simSection", empty: "sim2apnField", button: "simSave", line: "errTextSim" }
        ]
    }

    function test_emptyFieldsAreRefused(data) {
        openReadPage("qrc:/AllSettings.qml")
        click(data.section)
        waitForRendering(window.contentItem, 250)
        named(data.empty).text = ""
        click(data.button)
        compare(named(data.line).text, "Enter all values")
        wait(2300)
        compare(settingCommands(), [])
    }

    function test_gatewayTextIsShownAsTyped() {
        openReadPage("qrc:/NetworkPage.qml")
        gateway.setSetting("bleName", "<b>KV</b> &amp;")
        window.pageLoader.source = "qrc:/AllSettings.qml"
        page = window.pageLoader.item
        arrival("GETALL", 2500)
        tryCompare(named("bleNameField"), "text", "<b>KV</b> &amp;")
    }

    function test_pacedSaves_data() {
        return [
            { tag: "Sim", section: "simSection", button: "simSave", refuse: false,
              fill: { sim1apnField: "apn one", sim2apnField: "apn2" },
              saving: "Saving SIM Settings...",
              commands: ["SET simSlot 1  (SIM1)", "SET apnSim1 apn one", "SET apnSim2 apn2", "SAVE"],
              outcome: "SIM settings saved successfully", colour: "green" },
            { tag: "Bluetooth refused", section: "bleSection", button: "bleSave", refuse: true,
              fill: { bleNameField: "KV 2", blePinField: "12" },
              saving: "Saving Bluetooth Settings...",
              commands: ["SET bleName KV 2", "SET blePin 12", "SAVE"],
              outcome: "Failed to save Bluetooth settings", colour: "red" }
        ]
    }

    function test_pacedSaves(data) {
        openReadPage("qrc:/AllSettings.qml")
        gateway.setRefuseSave(data.refuse)
        click(data.section)
        waitForRendering(window.contentItem, 250)
        for (var name in data.fill)
            named(name).text = data.fill[name]
        press(data.button)
        expectStatus(data.saving, "#3498db")
        verify(page.allSettingDevice)
        expectPaced(data.commands, 2000)
        expectStatus(data.outcome, data.colour)
        verify(!page.allSettingDevice)
    }

    function test_wifiSaveWaitsForAcknowledgements() {
        openReadPage("qrc:/AllSettings.qml")
        gateway.setReplyDelay(300)
        named("wifiSsidField").text = "plant net"
        named("wifiPasswordField").text = "pass with spaces"
        press("wifiSave")
        expectStatus("Saving Wi-Fi Settings...", "#3498db")
        compare(page.wifiPendingKey, "wifiSSID")
        // The outcome names the section shown when it arrives.
        named("statusPopup").close()
        click("simSection")
        var first = arrival("SET wifiSSID plant net", 1000)
        var second = arrival("SET wifiPass pass with spaces", 2000)
        verify(second - first >= 250, "password sent before the SSID was acknowledged")
        arrival("SAVE", 2000)
        compare(settingCommands(), ["SET wifiSSID plant net", "SET wifiPass pass with spaces", "SAVE"])
        expectStatus("SIM settings saved successfully", "green")
    }

    function test_wifiSaveGivesUpAfterFifteenSilentSeconds() {
        openReadPage("qrc:/AllSettings.qml")
        named("wifiSsidField").text = "n1"
        named("wifiPasswordField").text = "p1"
        gateway.setScriptedReply("SET wifiPass p1", "")
        press("wifiSave")
        arrival("SET wifiPass p1", 1000)
        wait(13500)
        compare(named("statusPopup").message, "Saving Wi-Fi Settings...")
        expectStatus("Save failed: no response from device", "red")
        verify(!page.allSettingDevice)
        compare(settingCommands(), ["SET wifiSSID n1", "SET wifiPass p1"])
    }

    function cleanup() {
        gateway.setReplyDelay(0)
        window = null
        page = null
        tcpClient.disconnectFromDevice()
        gateway.stop()
        gateway.setRefuseSave(false)
    }
}
