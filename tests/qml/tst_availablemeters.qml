import QtQuick
import QtTest

// The direct-mode device list: the page's own command link, what it shows and
// the change chains over it. The form's checks and the delete confirmation
// are shared with the cloud page and tested there.
DevicePageCase {
    name: "AvailableMeters"

    // The simulator starts with two devices; a third one, with markup in its
    // name and a 7 s poll, is added before the page opens.
    function openList() {
        startGateway()
        tcpClient.connectToDevice(address, 8881)
        tryCompare(tcpClient, "connected", true)
        tcpClient.sendCommand("rs485add 2,1,7,0103,<b>x</b>")
        tryVerify(function() { return gateway.deviceCount() === 3 })
        gateway.clearReceived()
        openPage("qrc:/AvailableMeters.qml")
        // The backend still holds the previous suite's list until this
        // page's request goes out.
        waitForCommand("GET rs485list")
        tryCompare(named("totalChip"), "text", "Total : 3", 3000)
        waitForRendering(window.contentItem, 250)
    }

    function test_asksForTheListASecondAfterOpening() {
        startGateway()
        var t0 = Date.now()
        openPage("qrc:/AvailableMeters.qml")
        waitForCommand("GET rs485list")
        var after = Date.now() - t0
        verify(after >= 900 && after < 2000, "list asked for after " + after + " ms")
        compare(gateway.receivedBytes(), "GET rs485list\r\n")
        tryCompare(named("totalChip"), "text", "Total : 2")
    }

    function test_showsGatewayTextAsPlainText() {
        openList()
        var cell = named("cell_2_0")
        compare(cell.text, "<b>x</b>")
        compare(cell.textFormat, Text.PlainText)
        compare([named("cell_2_1").text, named("cell_2_2").text, named("cell_2_3").text,
                 named("cell_2_4").text], ["port2", "1", "7s", "0103"])
    }

    function test_editFillsTheFormAndBackSendsNothing() {
        openList()
        click("editButton_2")
        compare(named("headingtext").text, "Modify RS485 Device")
        verify(!named("avilTable").visible)
        compare(named("secondsIdField").text, "7")
        compare(named("portCombo").currentText, "Port 2")
        compare(named("crcCode").currentText, "1 (Auto CRC)")
        compare(named("hexcommandField").text, "0103")
        compare(named("nameIdField").text, "<b>x</b>")
        click("backButton")
        compare(named("headingtext").text, "Available RS485 Devices")
        verify(named("avilTable").visible)
        wait(200)
        compare(changeCommands(), [])
    }

    function test_modificationIsSavedAndReported() {
        openList()
        click("editButton_2")
        setField("hexcommandField", "01 03 00 00 00 0a")
        setField("secondsIdField", "010")
        gateway.setReplyDelay(300)
        click("saveChangesButton")
        verify(page.modifyingDevice)
        verify(named("busyOverlay").visible)
        var popup = waitOpened("modifiedSuccesspopup")
        verify(!page.modifyingDevice)
        compare(popup.message, "\"<b>x</b>\" has been modified successfully.")
        verify(gateway.receivedBytes().indexOf("rs485mod 2,2,1,10,01030000000a,<b>x</b>\r\nSAVE\r\n") >= 0)
        gateway.setReplyDelay(0)
        gateway.clearReceived()
        click("modifiedSuccesspopupPrimary")
        tryCompare(popup, "visible", false)
        compare(named("headingtext").text, "Available RS485 Devices")
        verify(named("avilTable").visible)
        waitForCommand("GET rs485list")
        tryCompare(named("cell_2_4"), "text", "01030000000a")
    }

    function test_deletionIsSavedAndReported() {
        openList()
        click("deleteButton_2")
        waitOpened("deletePopup")
        named("deleteTextField").text = "DELETE"
        compare(String(named("deleteConfirmButton").background.color), "#a93226")
        click("deleteConfirmButton")
        verify(page.deletingDevice)
        var popup = waitOpened("deletesuccessPopup")
        verify(!page.deletingDevice)
        compare(popup.title, "Device Delted")
        compare(popup.message, "\"<b>x</b>\" has been deleted successfully.")
        compare(changeCommands(), ["rs485del 2", "SAVE"])
        verify(gateway.receivedBytes().indexOf("rs485del 2\r\nSAVE\r\n") >= 0)
        click("deletesuccessPopupSecondary")
        tryCompare(named("totalChip"), "text", "Total : 2", 3000)
    }

    function test_failuresAreNotReportedAsSuccess_data() {
        return [
            { tag: "save refused", refuseSave: true, script: "",
              reason: "The gateway did not save the change to flash." },
            { tag: "deletion refused", refuseSave: false, script: "ERROR: no device at index 0\n",
              reason: "The gateway answered: ERROR: no device at index 0" },
            { tag: "no answer", refuseSave: false, script: "\n",
              reason: "No answer from the gateway." }
        ]
    }

    function test_failuresAreNotReportedAsSuccess(data) {
        openList()
        gateway.setRefuseSave(data.refuseSave)
        if (data.script.length > 0)
            gateway.setScriptedReply("rs485del 0", data.script)
        page.operation.guardInterval = 600
        click("deleteButton_0")
        waitOpened("deletePopup")
        named("deleteTextField").text = "DELETE"
        click("deleteConfirmButton")
        var failure = waitOpened("failurePopup")
        compare(failure.title, "Device Not Deleted")
        compare(failure.message, data.reason)
        verify(!page.deletingDevice)
        verify(!named("deletesuccessPopup").visible)
        gateway.setRefuseSave(false)
    }

    function test_leavingDropsTheCommandLink() {
        openList()
        window.pageLoader.source = ""
        tryCompare(tcpClient, "connected", false)
    }
}
