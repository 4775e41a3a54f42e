import QtQuick
import QtTest
import "qrc:/DeviceForm.js" as DeviceForm

// The cloud device list: the list request, the edit form and the deletion,
// each acknowledged by the simulated gateway through the broker.
CloudCommandCase {
    name: "AvailableMeterMqtt"
    freshGateway: true

    // The simulator starts with "ELMEASURE LG+1119" on port 1 and "Main
    // meter" on port 2.
    function openList() {
        openPage("qrc:/AvailableMeterMqtt.qml", "Devices - Device List")
        tryCompare(named("totalChip"), "text", "Total : 2", 5000)
        waitForCell(1, 0, "Main meter")
        waitForRendering(window.contentItem, 250)
    }

    // Rows are made anew whenever the backend replaces the list, so each
    // look goes through the page again.
    function cellText(row, column) {
        var cell = findChild(page, "cell_" + row + "_" + column)
        return cell ? cell.text : undefined
    }

    function waitForCell(row, column, text) {
        tryVerify(function() { return cellText(row, column) === text }, 5000,
                  "cell " + row + "," + column + " shows " + cellText(row, column))
    }

    function deleteRow(position) {
        click("deleteButton_" + position)
        waitOpened("deletePopup")
        named("deleteTextField").text = "DELETE"
        click("deleteConfirmButton")
    }

    function test_asksThroughTheBrokerASecondAfterOpening() {
        var t0 = Date.now()
        openPage("qrc:/AvailableMeterMqtt.qml", "Devices - Device List")
        compare(seenOn(configTopic, 1), ["GET rs485list"])
        var after = Date.now() - t0
        verify(after >= 900 && after < 3000, "list asked for after " + after + " ms")
        tryCompare(named("totalChip"), "text", "Total : 2")
        compare(named("subtitle").text, "Detected meters and communication details from MQTT")
        compare([named("cell_0_1").text, named("cell_0_2").text, named("cell_0_3").text,
                 named("cell_0_4").text], ["port1", "1", "10s", "010300000002C40B"])
        // Cloud mode opens no direct link of its own.
        verify(!tcpClient.connected)
        compare(gateway.commands(), [])
    }

    function test_totalFollowsTheBackendList() {
        openList()
        cloud.publish(responseTopic, "Device list (Type: RS485 Modbus)\nrs485DevCnt=0\n>")
        tryCompare(named("totalChip"), "text", "Total : 0")
        verify(named("noDevicesText").visible)
    }

    function test_modificationIsSavedBeforeItIsReported() {
        openList()
        click("editButton_0")
        compare(named("headingtext").text, "Modify RS485 Device")
        compare(named("secondsIdField").text, "10")
        named("portCombo").currentIndex = 1
        named("crcCode").currentIndex = 1
        named("hexcommandField").text = "02 03 00 00 00 67"
        named("secondsIdField").text = "7.50"
        named("nameIdField").text = "Meter, A b"
        click("saveChangesButton")
        verify(page.modifyingDevice)
        var popup = waitOpened("modifiedSuccesspopup")
        compare(changeCommands(), ["rs485mod 0,2,0,7.5,020300000067,Meter, A b", "SAVE"])
        compare(gateway.saveCount(), 1)
        verify(!page.modifyingDevice)
        compare(popup.message, "\"Meter, A b\" has been modified successfully.")
        cloud.clearReceived()
        click("modifiedSuccesspopupPrimary")
        tryCompare(popup, "visible", false)
        verify(named("avilTable").visible)
        compare(named("headingtext").text, "Available RS485 Devices")
        compare(seenOn(configTopic, 1), ["GET rs485list"])
        waitForCell(0, 0, gateway.deviceName(0))
        waitForCell(0, 3, "7.5s")
    }

    function test_editRefusesBadInput_data() {
        return [
            { tag: "4.9 s", seconds: "4.9", hex: "0103", name: "n",
              message: DeviceForm.secondsOutOfRange },
            { tag: "exponent beyond 300", seconds: "3e3", hex: "0103", name: "n",
              message: DeviceForm.secondsOutOfRange },
            { tag: "no number", seconds: "abc", hex: "0103", name: "n",
              message: DeviceForm.secondsOutOfRange },
            { tag: "letter beyond F", seconds: "10", hex: "02 03 0G", name: "n",
              message: DeviceForm.badHex },
            { tag: "empty name", seconds: "10", hex: "0103", name: "",
              message: DeviceForm.enterAllValues }
        ]
    }

    function test_editRefusesBadInput(data) {
        openList()
        click("editButton_1")
        named("secondsIdField").text = data.seconds
        named("hexcommandField").text = data.hex
        named("nameIdField").text = data.name
        click("saveChangesButton")
        compare(named("errText").text, data.message)
        compare(String(named("errText").color), "#ff0000")
        verify(!page.modifyingDevice)
        wait(300)
        compare(changeCommands(), [])
    }

    function test_secondsAreTheLongestDecimalPrefix_data() {
        return [ { tag: "exponent", typed: " 1e1", sent: "10" },
                 { tag: "leading zero", typed: "010", sent: "10" } ]
    }

    function test_secondsAreTheLongestDecimalPrefix(data) {
        var values = DeviceForm.check("0103", data.typed, "n")
        compare(values.error, "")
        compare(values.seconds, data.sent)
    }

    // A record the form cannot show faithfully must not be saved with a
    // value the operator never chose.
    function test_unknownPortOrCrcIsNotSavedUnchosen() {
        openList()
        cloud.publish(responseTopic, "Device list (Type: RS485 Modbus)\nrs485DevCnt=1\n"
                      + "dev[0]  Far meter  port3  CRC=2  poll=10s  cmd=0103\n>")
        waitForCell(0, 0, "Far meter")
        click("editButton_0")
        compare(named("portCombo").currentIndex, -1)
        compare(named("crcCode").currentIndex, -1)
        click("saveChangesButton")
        compare(named("errText").text, DeviceForm.noChoice)
        wait(300)
        compare(changeCommands(), [])
        // Once the operator chose both, the change goes out as chosen.
        named("portCombo").currentIndex = 1
        named("crcCode").currentIndex = 0
        click("saveChangesButton")
        waitForCommands(["rs485mod 0,2,1,10,0103,Far meter", "SAVE"])
    }

    function test_deleteIsArmedOnlyByTheExactWord_data() {
        return [ { tag: "lower case", typed: "delete" }, { tag: "trailing space", typed: "DELETE " } ]
    }

    function test_deleteIsArmedOnlyByTheExactWord(data) {
        openList()
        click("deleteButton_1")
        var popup = waitOpened("deletePopup")
        compare(named("deletePrompt").text, "To delete \"Main meter\", type DELETE below.")
        named("deleteTextField").text = data.typed
        click("deleteConfirmButton")
        wait(300)
        verify(popup.visible)
        compare(String(named("deleteConfirmButton").background.color), "#555555")
        click("deleteCancelButton")
        tryCompare(popup, "visible", false)
        compare(named("deleteTextField").text, "")
        compare(changeCommands(), [])
    }

    function test_deletionIsSavedBeforeItIsReported() {
        openList()
        deleteRow(1)
        verify(page.deletingDevice)
        verify(named("busyOverlay").visible)
        var popup = waitOpened("deletesuccessPopup")
        compare(changeCommands(), ["rs485del 1", "SAVE"])
        verify(!page.deletingDevice)
        compare(popup.title, "Device Delted")
        compare(popup.message, "\"Main meter\" has been deleted successfully.")
        click("deletesuccessPopupSecondary")
        tryCompare(named("totalChip"), "text", "Total : 1", 5000)
        compare(gateway.deviceCount(), 1)
    }

    function test_refusedSaveIsReportedAsFailure() {
        openList()
        gateway.setRefuseSave(true)
        page.operation.guardInterval = 800
        deleteRow(0)
        var failure = waitOpened("failurePopup")
        compare(failure.message, "The gateway did not confirm the change.")
        compare(failure.title, "Device Not Deleted")
        compare(changeCommands(), ["rs485del 0", "SAVE"])
        verify(!page.deletingDevice)
        verify(!named("deletesuccessPopup").visible)
    }

    // Another page's or another tool's save confirmation is not this page's.
    function test_strayConfirmationOpensNothing() {
        openList()
        cloud.publish(responseTopic, "OK: saved to flash")
        wait(500)
        verify(!named("deletesuccessPopup").visible)
        verify(!named("modifiedSuccesspopup").visible)
    }
}
