import QtQuick
import QtTest

// Adding an RS-485 device: what is refused, what reaches the gateway, and
// what the operator is told.
DevicePageCase {
    name: "AddMeter"

    function openForm() {
        openPage("qrc:/AddMeter.qml")
        tryCompare(tcpClient, "connected", true)
        compare(tcpClient.currentPort, 8881)
    }

    function fill(hex, seconds, name) {
        setField("hexcommandField", hex)
        setField("secondsIdField", seconds)
        setField("nameIdField", name)
    }

    function test_refusesBadInputAndSendsNothing_data() {
        var range = "Seconds should be between 5 and 300"
        var hex = "Hex command must contain only hex digits (0-9, A-F)"
        return [
            { tag: "no hex", hex: "", seconds: "10", name: "M", message: "Enter all values" },
            { tag: "no seconds", hex: "0103", seconds: "", name: "M", message: "Enter all values" },
            { tag: "no name", hex: "0103", seconds: "10", name: "", message: "Enter all values" },
            { tag: "blank name", hex: "0103", seconds: "10", name: "   ", message: "Enter all values" },
            { tag: "4.99 s", hex: "0103", seconds: "4.99", name: "M", message: range },
            { tag: "300.5 s", hex: "0103", seconds: "300.5", name: "M", message: range },
            { tag: "no number", hex: "0103", seconds: "abc", name: "M", message: range },
            { tag: "only spaces", hex: "   ", seconds: "10", name: "M", message: hex },
            { tag: "0x prefix", hex: "0x0103", seconds: "10", name: "M", message: hex },
            { tag: "line break in name", hex: "0103", seconds: "10", name: "M\r\nREBOOT",
              message: "Name must not contain line breaks or control characters" }
        ]
    }

    function test_refusesBadInputAndSendsNothing(data) {
        openForm()
        fill(data.hex, data.seconds, data.name)
        click("addDeviceButton")
        var line = named("errText")
        compare(line.text, data.message)
        compare(String(line.color), "#ff0000")
        verify(!page.addingDevice)
        wait(200)
        compare(gateway.commands(), [])
    }

    function test_sendsTheCommandThenSaveAndCongratulates_data() {
        return [
            { tag: "spaces dropped", port: 0, crc: 0, hex: "01 03 00 00 00 0A", seconds: "10",
              name: "Meter A", sent: "rs485add 1,1,10,01030000000A,Meter A" },
            { tag: "port 2 manual CRC, case kept", port: 1, crc: 1, hex: "01 03 00 0a C40B",
              seconds: "5", name: "m", sent: "rs485add 2,0,5,0103000aC40B,m" },
            { tag: "shortest decimal", port: 0, crc: 0, hex: "0103", seconds: "7.50",
              name: "x", sent: "rs485add 1,1,7.5,0103,x" },
            { tag: "exponent", port: 0, crc: 0, hex: "0103", seconds: "2.5e1",
              name: "x", sent: "rs485add 1,1,25,0103,x" },
            { tag: "upper bound, comma in name", port: 0, crc: 0, hex: "0103", seconds: "300",
              name: "Meter A, east", sent: "rs485add 1,1,300,0103,Meter A, east" }
        ]
    }

    function test_sendsTheCommandThenSaveAndCongratulates(data) {
        openForm()
        named("portCombo").currentIndex = data.port
        named("crcCode").currentIndex = data.crc
        fill(data.hex, data.seconds, data.name)
        gateway.setReplyDelay(300)
        click("addDeviceButton")
        tryVerify(function() { return page.addingDevice })
        verify(named("busyOverlay").visible)
        var popup = waitOpened("addedSuccesspopup")
        compare(gateway.commands(), [data.sent, "SAVE"])
        compare(gateway.receivedBytes(), data.sent + "\r\nSAVE\r\n")
        compare(popup.message, "\"" + data.name + "\" has been added successfully.")
        verify(!named("busyOverlay").visible)
        var line = named("errText")
        compare(line.text, "Device Added successfully")
        compare(String(line.color), "#ffffff")
    }

    function test_closeKeepsTheFormForASimilarDevice() {
        openForm()
        fill("0103", "10", "<b>x</b>")
        click("addDeviceButton")
        var popup = waitOpened("addedSuccesspopup")
        click("addedSuccesspopupSecondary")
        tryCompare(popup, "visible", false)
        compare(named("errText").text, "")
        compare(named("nameIdField").text, "<b>x</b>")
        click("addDeviceButton")
        tryCompare(popup, "opened", true)
        compare(changeCommands(), ["rs485add 1,1,10,0103,<b>x</b>", "SAVE",
                                   "rs485add 1,1,10,0103,<b>x</b>", "SAVE"])
        compare(gateway.deviceCount(), 4)
    }

    function test_doneMovesToTheDeviceListOnAFreshLink() {
        openForm()
        fill("0103", "10", "Meter B")
        click("addDeviceButton")
        waitOpened("addedSuccesspopup")
        click("addedSuccesspopupPrimary")
        compare(window.pageLoader.source.toString(), "qrc:/AvailableMeters.qml")
        compare(window.pagehead, "Devices - Device List")
        waitForCommand("GET rs485list", 3000)
        tryCompare(tcpClient, "connected", true)
        compare(gateway.connectionCount(0), 1)
        tryCompare(named("totalChip"), "text", "Total : 3")
    }

    function test_failuresEndTheWaitWithoutSuccess_data() {
        return [
            { tag: "save refused", refuseSave: true, script: "",
              reason: "The gateway did not save the change to flash." },
            { tag: "addition refused", refuseSave: false, script: "ERROR: device table full\n",
              reason: "The gateway answered: ERROR: device table full" }
        ]
    }

    function test_failuresEndTheWaitWithoutSuccess(data) {
        startGateway()
        gateway.setRefuseSave(data.refuseSave)
        if (data.script.length > 0)
            gateway.setScriptedReply("rs485add 1,1,10,0103,M", data.script)
        openForm()
        page.operation.guardInterval = 600
        fill("0103", "10", "M")
        click("addDeviceButton")
        var failure = waitOpened("failurePopup")
        compare(failure.message, data.reason)
        compare(failure.success, false)
        verify(!named("addedSuccesspopup").visible)
        verify(!page.addingDevice)
        compare(named("errText").text, "Device not added")
        gateway.setRefuseSave(false)
    }

    function test_opensItsOwnCommandLinkAndDropsItOnClosing() {
        startGateway()
        tcpClient.connectToDevice(address, 8880)
        tryCompare(tcpClient, "connected", true)
        openForm()
        tryVerify(function() { return gateway.connectionCount(1) === 0
                                      && gateway.connectionCount(0) === 1 }, 2000)
        wait(1300)
        compare(gateway.commands(), []) // nothing sent on opening
        window.pageLoader.source = ""
        tryCompare(tcpClient, "connected", false)
    }
}
