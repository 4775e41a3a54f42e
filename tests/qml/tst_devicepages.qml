import QtQuick
import QtTest
import "qrc:/DeviceForm.js" as DeviceForm

// The device list and add-device pages of both modes: the form's rules, the
// list request, and each change's command, "SAVE" and outcome. The simulator
// starts with "ELMEASURE LG+1119" on port 1 and "Main meter" on port 2.
PageCase {
    name: "DevicePages"

    readonly property string directList: "qrc:/AvailableMeters.qml"
    readonly property string cloudList: "qrc:/AvailableMeterMqtt.qml"
    readonly property string directAdd: "qrc:/AddMeter.qml"
    readonly property string cloudAdd: "qrc:/AddNewMeterMqtt.qml"

    function test_formRules_data() {
        var rows = [], add = function(error, hex, seconds, name, tags) {
            for (var i = 0; i < tags.length; ++i)
                rows.push({ tag: tags[i], hex: hex[hex.length > 1 ? i : 0], seconds: seconds[seconds.length > 1 ? i : 0],
                            name: name[name.length > 1 ? i : 0], error: error })
        }
        add(DeviceForm.enterAllValues, ["", "0103", "0103"], ["10", "", "10"], ["M", "M", "   "],
            ["no hex", "no seconds", "blank name"])
        add(DeviceForm.secondsOutOfRange, ["0103"], ["4.99", "300.5", "3e3", "abc", "12abc", "10,5", "+5"], ["M"],
            ["4.99 s", "300.5 s", "exponent beyond 300", "no number", "trailing letters", "decimal comma", "sign"])
        add(DeviceForm.badHex, ["   ", "0x0103", "02 03 0G"], ["10"], ["M"], ["hex of spaces", "0x prefix", "letter beyond F"])
        add(DeviceForm.badName, ["0103"], ["10"], ["M\r\nREBOOT"], ["line break in name"])
        return rows.concat([
            { tag: "spaces dropped, case kept", hex: "01 03 00 0a C40B", seconds: "10", name: "M, east",
              command: "rs485add 1,1,10,0103000aC40B,M, east" },
            { tag: "shortest decimal", hex: "0103", seconds: "7.50", name: "x", command: "rs485add 1,1,7.5,0103,x" },
            { tag: "exponent", hex: "0103", seconds: " 2.5e1", name: "x", command: "rs485add 1,1,25,0103,x" },
            { tag: "leading zero, upper bound", hex: "0103", seconds: "0300", name: "x", command: "rs485add 1,1,300,0103,x" }
        ])
    }

    // The refusal, or the command when there is none.
    function test_formRules(data) {
        var values = DeviceForm.check(data.hex, data.seconds, data.name)
        compare(values.error || DeviceForm.addCommand(1, 1, values), data.error || data.command)
    }

    function openPage(url, before) {
        return url === cloudAdd || url === cloudList ? openCloud(url) : openDirect(url, before)
    }

    // The direct list with a third device, markup in its name and a 7.5 s
    // poll; the cloud list as the simulator starts.
    function openList(cloud) {
        if (cloud)
            openCloud(cloudList, "Devices - Device List")
        else
            openDirect(directList, 8881, function() {
                tcpClient.sendCommand("rs485add 2,1,7.5,0103,<b>x</b>")
                tryVerify(function() { return gateway.commands().length === 1 })
                gateway.clearReceived()
            })
        tryCompare(named("totalChip"), "text", cloud ? "Total : 2" : "Total : 3", 5000)
        waitForCell(cloud ? 1 : 2, 0, cloud ? "Main meter" : "<b>x</b>")
        compare(named("cell_" + (cloud ? 1 : 2) + "_0").textFormat, Text.PlainText)
    }

    // Rows are made anew whenever the backend replaces the list.
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

    // The list is asked for a second after opening, over the monitor link an
    // earlier page left (`before`) or through the broker. A list the gateway
    // cut off, and one it never answered, are said to be so; "Read again"
    // asks once more. Leaving drops the page's own link.
    function test_listIsAskedForASecondAfterOpening_data() {
        var cut = "Device list\nrs485DevCnt=2\n" + "dev[0]  A  port1  CRC=1  poll=10s  cmd=01\n"
        return [ { tag: "direct", before: 8880 }, { tag: "cloud", cloud: true },
                 { tag: "link dropped mid-list", reply: cut, drop: true, notice: "incomplete" },
                 { tag: "count says more", reply: cut + ">\n", notice: "incomplete" },
                 { tag: "no answer", reply: "", notice: "No answer from the gateway" } ]
    }

    function test_listIsAskedForASecondAfterOpening(data) {
        if (data.cloud) {
            openCloud(cloudList)
            compare(seenOn(topic("config"), 1), ["GET rs485list"])
            verify(!tcpClient.connected)
        } else {
            openDirect(directList, data.before, function() {
                if (data.notice)
                    gateway.setScriptedReply("GET rs485list", data.reply)
            })
            page.operation.guardInterval = 1500
            arrival("GET rs485list") // the list shown before is an earlier row's
            compare(gateway.received(0), "GET rs485list\r\n")
            compare([gateway.connectionCount(0), gateway.connectionCount(1)], [1, 0])
        }
        var after = Date.now() - t0
        verify(after >= 900 && after < 2500, "list asked for after " + after + " ms")
        if (data.reply !== "")
            tryCompare(named("totalChip"), "text", data.notice ? "Total : 1" : "Total : 2", 3000)
        if (data.notice) {
            if (data.drop)
                gateway.dropConnections(0)
            tryVerify(function() { return named("incompleteNotice").visible
                                          && named("listNotice").text.indexOf(data.notice) >= 0 }, 3000)
            gateway.clearReceived()
            click("readAgainButton")
            return arrival("GET rs485list")
        }
        compare([1, 2, 3, 4].map(function(c) { return cellText(1, c) }), ["port2", "0", "5s", "0103000A0004A5CB"])
        window.pageLoader.source = ""
        tryCompare(tcpClient, "connected", false)
    }

    // Each change waits for "SAVE" before its dialog. The direct add goes on
    // to the list over the same link; closing the cloud add's dialog keeps
    // the form for another, and "Clear" empties it. Only the exact word arms
    // a deletion; "Cancel" empties it.
    function test_changeIsSavedBeforeItIsReported_data() {
        return [
            { tag: "add, direct", url: directAdd, fill: { portCombo: 1, crcCode: 1, hexcommandField: "01 03 00 0A",
              secondsIdField: "5", nameIdField: "<b>m</b>" }, sent: "rs485add 2,0,5,0103000A,<b>m</b>",
              name: "<b>m</b>", done: "added", next: directList, cell: [2, 0, "<b>m</b>"], key: Qt.Key_Return },
            { tag: "add, cloud, closed and added again", url: cloudAdd, close: true, fill: { portCombo: 1, crcCode: 1,
              hexcommandField: "02 03 00 00 00 67", secondsIdField: "5.5", nameIdField: "Meter A" },
              sent: "rs485add 2,0,5.5,020300000067,Meter A", name: "Meter A", done: "added" },
            // The 7.5 s poll goes back unchanged; Enter in the form saves.
            { tag: "modify, direct", url: directList, edit: 2, fill: { hexcommandField: "01 03 00 00 00 0a" },
              sent: "rs485mod 2,2,1,7.5,01030000000a,<b>x</b>", name: "<b>x</b>", done: "modified",
              cell: [2, 4, "01030000000a"] },
            { tag: "modify, cloud", url: cloudList, edit: 0, fill: { portCombo: 1, crcCode: 1,
              hexcommandField: "02 03 00 00 00 67", secondsIdField: "7.50", nameIdField: "Meter, A b" },
              sent: "rs485mod 0,2,0,7.5,020300000067,Meter, A b", name: "Meter, A b", done: "modified",
              cell: [0, 3, "7.5s"] },
            { tag: "delete, direct, lower case", url: directList, del: 2, typed: "delete", sent: "rs485del 2",
              name: "<b>x</b>", done: "deleted", left: "Total : 2" },
            { tag: "delete, cloud, trailing space", url: cloudList, del: 1, typed: "DELETE ", sent: "rs485del 1",
              name: "Main meter", done: "deleted", left: "Total : 1" }
        ]
    }

    function test_changeIsSavedBeforeItIsReported(data) {
        var dialog = data.done === "added" ? "addedSuccesspopup" : data.del ? "deletesuccessPopup" : "modifiedSuccesspopup"
        var busy = function() { return !!(page.addingDevice || page.modifyingDevice || page.deletingDevice) }
        if (data.done === "added")
            openPage(data.url, 8880)
        else
            openList(data.url === cloudList)
        if (cloudMode) { // another page's or another tool's save confirmation is not this page's
            cloud.publish(topic("response"), "OK: saved to flash")
            wait(500)
            verify(!["deletesuccessPopup", "modifiedSuccesspopup", "addedSuccesspopup"].some(function(n) {
                return findChild(window, n) && findChild(window, n).visible }))
        }
        if (data.edit !== undefined)
            click("editButton_" + data.edit)
        fill(data.fill || {})
        if (data.del) {
            click("deleteButton_" + data.del)
            var confirm = waitOpened("deletePopup")
            keyClick(Qt.Key_Escape) // only its buttons close it
            compare(named("deletePrompt").text, "To delete \"" + data.name + "\", type DELETE below.")
            named("deleteTextField").text = data.typed
            click("deleteConfirmButton")
            wait(300)
            verify(confirm.visible)
            click("deleteCancelButton")
            tryCompare(confirm, "visible", false)
            compare([named("deleteTextField").text, changes()], ["", []])
        }
        gateway.setReplyDelay(300)
        if (data.del) {
            deleteRow(data.del)
        } else if (data.url === directList) {
            click("nameIdField")
            keyClick(Qt.Key_Return)
        } else {
            click(data.edit === undefined ? "addDeviceButton" : "saveChangesButton")
        }
        verify(busy() && named("busyOverlay").visible)
        var popup = expectDialog(dialog, "\"" + data.name + "\" has been " + data.done + " successfully.")
        compare([busy(), named("busyOverlay").visible, changes()], [false, false, [data.sent, "SAVE"]])
        if (data.done === "added")
            expectLine("Device Added successfully", "#ffffff")
        gateway.clearReceived()
        if (data.key) { // Escape leaves the dialog open; the key presses its own button, not the one behind it
            keyClick(Qt.Key_Escape)
            verify(popup.opened)
            keyClick(data.key)
        } else {
            click(dialog + (data.close || data.del ? "Secondary" : "Primary"))
        }
        tryVerify(function() { return !popup.visible }) // or gone with its page
        if (data.del)
            return tryCompare(named("totalChip"), "text", data.left, 5000)
        if (data.close) {
            compare([named("errText").text, window.pageLoader.source.toString()], ["", data.url])
            click("addDeviceButton")
            tryCompare(popup, "opened", true)
            expectChanges([data.sent, "SAVE"])
            click(dialog + "Secondary")
            click("clearButton")
            return compare([named("portCombo").currentIndex, named("crcCode").currentIndex, named("hexcommandField").text,
                            named("secondsIdField").text, named("nameIdField").text], [0, 0, "", "", ""])
        }
        shownPage(data.next || data.url)
        compare(window.pagehead, data.next ? "Devices - Device List" : window.pagehead)
        verify(named("avilTable").visible)
        arrival("GET rs485list")
        waitForCell(data.cell[0], data.cell[1], data.cell[2])
        compare([gateway.connectionCount(0), changes()], [data.url === directAdd || data.url === directList ? 1 : 0, []])
    }

    // The total follows each list the backend takes. A record the form cannot
    // show faithfully is not saved with a value the operator never chose;
    // "Back" and the edit form's refusals send nothing.
    function test_unknownPortOrCrcIsNotSavedUnchosen() {
        openList(true)
        cloud.publish(topic("response"), "Device list (Type: RS485 Modbus)\nrs485DevCnt=0\n>")
        tryCompare(named("totalChip"), "text", "Total : 0")
        verify(named("noDevicesText").visible)
        cloud.publish(topic("response"), "Device list (Type: RS485 Modbus)\nrs485DevCnt=1\n"
                      + "dev[0]  Far meter  port3  CRC=2  poll=10s  cmd=0103\n>")
        waitForCell(0, 0, "Far meter")
        click("editButton_0")
        verify(!named("avilTable").visible)
        click("backButton")
        verify(named("avilTable").visible)
        click("editButton_0")
        compare([named("portCombo").currentIndex, named("crcCode").currentIndex], [-1, -1])
        click("saveChangesButton")
        compare(named("errText").text, DeviceForm.noChoice)
        wait(300)
        compare(changes(), [])
        fill({ portCombo: 1, crcCode: 0 })
        click("saveChangesButton")
        expectChanges(["rs485mod 0,2,1,10,0103,Far meter", "SAVE"])
    }

    // Each change's failure ends the wait with its reason, never as success;
    // a form the page refuses sends nothing at all.
    function test_failuresAreNotReportedAsSuccess_data() {
        var flash = "The gateway did not save the change to flash."
        var unconfirmed = "The gateway did not confirm the change."
        return [
            { tag: "direct delete, save refused", url: directList, refuseSave: true, reason: flash },
            { tag: "direct delete refused", url: directList, script: ["rs485del 0", "ERROR: no device at index 0\n"],
              reason: "The gateway answered: ERROR: no device at index 0" },
            { tag: "direct delete, no answer", url: directList, script: ["rs485del 0", "\n"],
              reason: "No answer from the gateway." },
            { tag: "cloud delete, save refused", url: cloudList, refuseSave: true, reason: unconfirmed },
            { tag: "direct add, save refused", url: directAdd, refuseSave: true, reason: flash },
            { tag: "direct add refused", url: directAdd, script: ["rs485add 1,1,10,0103,M", "ERROR: device table full\n"],
              reason: "The gateway answered: ERROR: device table full" },
            { tag: "cloud add, save refused", url: cloudAdd, refuseSave: true, reason: unconfirmed },
            { tag: "cloud add, broker down", url: cloudAdd, brokerDown: true,
              reason: "Not connected to the broker; nothing was sent." },
            { tag: "direct add, bad hex", url: directAdd, badHex: true }, { tag: "cloud add, bad hex", url: cloudAdd, badHex: true }
        ]
    }

    function test_failuresAreNotReportedAsSuccess(data) {
        var adding = data.url === directAdd || data.url === cloudAdd
        if (adding)
            openPage(data.url, 8880)
        else
            openList(data.url === cloudList)
        gateway.setRefuseSave(!!data.refuseSave)
        // The menu's status follows the session: down with the broker, back
        // when the session tries again 3 s after the drop.
        if (data.brokerDown) {
            var status = findChild(findChild(window, "sideMenuMqtt"), "linkStatus")
            cloud.stopBroker()
            tryCompare(status, "text", "Not Connected", 5000)
        }
        if (data.script)
            gateway.setScriptedReply(data.script[0], data.script[1])
        // The guard at its own length, then shortened.
        compare(page.operation.guardInterval, data.url === cloudList || data.url === cloudAdd ? 20000 : 10000)
        page.operation.guardInterval = 800
        if (adding) {
            fill({ hexcommandField: data.badHex ? "01 0G" : "0103", secondsIdField: "10", nameIdField: "M" })
            click("addDeviceButton")
        } else {
            deleteRow(0)
        }
        if (data.badHex) {
            expectLine(DeviceForm.badHex, "#ff0000")
            verify(!page.addingDevice)
            wait(1300) // past the moment a list page would have asked
            compare([commands(), cloud.messages(topic("config"))], [[], []])
            // Direct pages take the command link over and drop it on leaving.
            compare([gateway.connectionCount(1), tcpClient.connected], [0, data.url === directAdd])
            window.pageLoader.source = ""
            return tryCompare(tcpClient, "connected", false)
        }
        compare(expectDialog("failurePopup", data.reason).title, adding ? "Device Not Added" : "Device Not Deleted")
        verify(!page.addingDevice && !page.deletingDevice && !named(adding ? "addedSuccesspopup" : "deletesuccessPopup").visible)
        if (adding)
            compare(named("errText").text, "Device not added")
        if (data.brokerDown) { // nothing comes late either
            verify(cloud.restartBroker())
            tryCompare(status, "text", "Connected", 8000)
            compare(cloud.cloudCommands(), [])
        }
    }
}
