import QtQuick
import QtTest

// The LAN page: its connection, what it refuses, and its paced save.
SettingsPageCase {
    name: "NetworkPage"
    statusPopupName: "networkstatusPopUp"

    function test_connectsOnOpeningAndReadsOneSecondLater_data() {
        return [
            { tag: "after the device choice, reusing 8881", before: 8881, connections: 1 },
            { tag: "after the log page's monitor link", before: 8880, connections: 1 },
            { tag: "with no link yet", before: 0, connections: 1 }
        ]
    }

    function test_connectsOnOpeningAndReadsOneSecondLater(data) {
        openPage("qrc:/NetworkPage.qml", data.before)
        var at = arrival("GETALL", 2500)
        verify(at >= 900, "GETALL after " + at + " ms")
        compare(tcpClient.currentPort, 8881)
        compare(gateway.connectionCount(0), data.connections)
        tryCompare(named("ipField"), "text", "192.168.1.100")
        compare(named("gatewayField").text, "192.168.1.1")
    }

    function test_refusesAndSendsNothing_data() {
        return [
            { tag: "empty static IP", ip: "", mask: "255.255.255.0", gw: "10.0.0.1",
              message: "Please enter all values", redField: "ipField", note: "" },
            { tag: "mask field above 255", ip: "10.0.0.2", mask: "255.255.255.256", gw: "10.0.0.1",
              message: "Please enter valid IP addresses", redField: "subnetField",
              note: "subnetFieldMessage" },
            { tag: "gateway with three fields", ip: "10.0.0.2", mask: "255.0.0.0", gw: "10.0.1",
              message: "Please enter valid IP addresses", redField: "gatewayField",
              note: "gatewayFieldMessage" },
            { tag: "trailing space", ip: "10.0.0.2 ", mask: "255.0.0.0", gw: "10.0.0.1",
              message: "Please enter valid IP addresses", redField: "ipField",
              note: "ipFieldMessage" }
        ]
    }

    function test_refusesAndSendsNothing(data) {
        openReadPage("qrc:/NetworkPage.qml")
        named("ipField").text = data.ip
        named("subnetField").text = data.mask
        named("gatewayField").text = data.gw
        click("networkSave")
        compare(named("errText").text, data.message)
        compare(String(named("errText").color), String(Qt.color("red")))
        compare(String(named(data.redField).field.background.border.color), String(Qt.color("red")))
        if (data.note.length > 0)
            verify(named(data.note).visible)
        wait(2300)
        compare(settingCommands(), [])
    }

    function test_savesStagedValuesTwoSecondsApartThenRereadsAfterOk() {
        openReadPage("qrc:/NetworkPage.qml")
        named("ipField").text = "10.1.2.3"
        // Passes: the mask is only held to the address rule.
        named("subnetField").text = "255.0.255.0"
        named("gatewayField").text = "10.1.2.1"
        press("networkSave")
        expectStatus("Saving Network Settings...", "#3498db")
        verify(page.ntwrkSettingDevice)
        // Edits during the save do not change what is sent.
        named("gatewayField").text = "10.9.9.9"
        expectPaced(["SET staticIP 10.1.2.3", "SET subnet 255.0.255.0",
                     "SET gateway 10.1.2.1", "SAVE"], 2000)
        expectStatus("Network settings saved successfully", "green")
        verify(!page.ntwrkSettingDevice)
        compare(page.staticNetText, "")
        compare(gateway.setting("gateway"), "10.1.2.1")

        gateway.clearReceived()
        press("statusOkButton")
        tryCompare(named("networkstatusPopUp"), "visible", false)
        var at = arrival("GETALL", 2000)
        verify(at >= 900, "re-read after " + at + " ms")
        tryCompare(named("gatewayField"), "text", "10.1.2.1")
    }

    function test_failedSaveIsRedAndOkDoesNotReread() {
        openReadPage("qrc:/NetworkPage.qml")
        gateway.setRefuseSave(true)
        click("networkSave")
        arrival("SAVE", 7500)
        expectStatus("Failed to save Network settings", "red")
        verify(!page.ntwrkSettingDevice)
        gateway.clearReceived()
        click("statusOkButton")
        wait(1400)
        compare(gateway.commands(), [])
    }

    function test_closingDropsTheLinkAndAbandonsTheSave() {
        openReadPage("qrc:/NetworkPage.qml")
        click("networkSave")
        arrival("SET staticIP 192.168.1.100", 1000)
        window.pageLoader.source = "qrc:/ChooseDeviceIp.qml"
        tryCompare(tcpClient, "connected", false)
        wait(2500)
        compare(settingCommands(), ["SET staticIP 192.168.1.100"])
    }
}
