import QtQuick
import QtTest

// The baud rate page: selections taken from the gateway's reading, refusal
// without a rate, and the paced save of both ports.
SettingsPageCase {
    name: "SetBaudrate"

    // The drop-downs take what the map holds when the page opens, so another
    // settings page reads the gateway first.
    function openAfterReading(port1, port2) {
        openReadPage("qrc:/NetworkPage.qml")
        gateway.setSetting("rs485_1_baud", port1)
        gateway.setSetting("rs485_2_baud", port2)
        tcpClient.sendCommand("GETALL")
        tryVerify(function() { return tcpClient.dataMap["rs485_2_baud"] === port2 }, 3000)
        wait(100)
        gateway.clearReceived()
        window.pageLoader.source = "qrc:/SetBaudrate.qml"
        page = window.pageLoader.item
        waitForRendering(window.contentItem, 250)
        arrival("GETALL", 2500)
        wait(300)
        gateway.clearReceived()
    }

    function test_selectionComesFromTheReading_data() {
        return [
            { tag: "known rates", port1: "9600", port2: "115200", index1: 5, index2: 9, refused: false },
            { tag: "unknown rate", port1: "14400", port2: "300", index1: -1, index2: 0, refused: true }
        ]
    }

    function test_selectionComesFromTheReading(data) {
        openAfterReading(data.port1, data.port2)
        compare(named("port1Combo").currentIndex, data.index1)
        compare(named("port2Combo").currentIndex, data.index2)
        press("baudSave")
        if (data.refused) {
            compare(named("errTextSim").text, "Select all values")
            compare(String(named("errTextSim").color), String(Qt.color("red")))
            wait(2300)
            compare(settingCommands(), [])
        } else {
            // Both ports go out together, whatever changed.
            arrival("SET rs485_2_baud 115200", 3000)
            compare(settingCommands(), ["SET rs485_1_baud 9600", "SET rs485_2_baud 115200"])
        }
    }

    function test_clearThenSaveSendsTheDefaultRate_data() {
        return [
            { tag: "saved", refuse: false, outcome: "Baudrate settings saved successfully", colour: "green" },
            { tag: "refused", refuse: true, outcome: "Failed to save Baudrate settings", colour: "red" }
        ]
    }

    function test_clearThenSaveSendsTheDefaultRate(data) {
        openAfterReading("14400", "600")
        gateway.setRefuseSave(data.refuse)
        click("baudClear")
        compare(named("port1Combo").currentText, "19200")
        press("baudSave")
        expectStatus("Saving Baudrate Settings...", "#3498db")
        verify(page.baudSettingDevice)
        expectPaced(["SET rs485_1_baud 19200", "SET rs485_2_baud 19200", "SAVE"], 2000)
        expectStatus(data.outcome, data.colour)
        verify(!page.baudSettingDevice)
    }

    function test_leavingDropsTheCommandLink() {
        openReadPage("qrc:/SetBaudrate.qml")
        compare(tcpClient.currentPort, 8881)
        window.pageLoader.source = "qrc:/ChooseDeviceIp.qml"
        tryCompare(tcpClient, "connected", false)
    }
}
