import QtQuick
import QtTest

// The multiple register page against a real broker and the simulated
// gateway: the strict values list, the exact request with `values`, the
// gateway's answer and the 10 s guard.
CloudCommandCase {
    name: "MultipleRegister"

    function init() {
        openPage("qrc:/MultipleRegister.qml", "Registers - Multiple Register")
    }

    function test_writeSendsTheExactRequest_data() {
        return [
            { tag: "port 2 example", port: 1, slave: "3", fc: "16", addr: "0", value: "1000,0,50,400",
              json: '{"addr":0,"fc":16,"key":"Kestrelvane","port":2,"slave":3,"values":[1000,0,50,400]}' },
            { tag: "spaces around the list", port: 0, slave: "1", fc: "16", addr: "0x10", value: "  100,40,20 ",
              json: '{"addr":16,"fc":16,"key":"Kestrelvane","port":1,"slave":1,"values":[100,40,20]}' },
            { tag: "leading zeros dropped", port: 0, slave: " ", fc: "16", addr: "7", value: "007,0100",
              json: '{"addr":7,"fc":16,"key":"Kestrelvane","port":1,"slave":0,"values":[7,100]}' },
            { tag: "one value", port: 1, slave: "2", fc: "0b10000", addr: "1", value: "65535",
              json: '{"addr":1,"fc":16,"key":"Kestrelvane","port":2,"slave":2,"values":[65535]}' }
        ]
    }

    function test_writeSendsTheExactRequest(data) {
        fillForm(data.port, data.slave, data.fc, data.addr, data.value)
        click("writeButton")
        verify(page.addingDevice)
        compare(seenOn(subTopic, 1), [data.json])
        tryVerify(function() { return cloud.writeRequests().length > 0 }, 5000)
        compare(cloud.writeRequests(), [data.json])
        compare(seenOn("Kestrelvane/KV-0001/pub/port" + (data.port + 1), 1), ['{"write":"OK"}'])
        var dialog = expectWriteOutcome(true)
        compare(dialog.message, "Multiple Regiters has been written successfully.")
        compare(named("valField").field.placeholderText, "eg. 1000,0,50,400")
        wait(100)
        mouseClick(named("addedSuccesspopupPrimary"))
        tryCompare(dialog, "opened", false)
        expectFormEmpty()
    }

    function test_malformedValuesAreRefused_data() {
        return [
            { tag: "space inside", value: "100, 40" },
            { tag: "empty group", value: "100,,40" },
            { tag: "trailing comma", value: "100,40," },
            { tag: "leading comma", value: ",100" },
            { tag: "sign", value: "-5" },
            { tag: "decimal point", value: "1.5" },
            { tag: "hex", value: "0x10" },
            { tag: "spaces only", value: "   " }
        ]
    }

    function test_malformedValuesAreRefused(data) {
        fillForm(0, "1", "16", "0", data.value)
        click("writeButton")
        expectLine("Values should be like: 100,40,20", "red")
        verify(!page.addingDevice)
        verify(!page.writeTimeout.running)
        compare(named("valField").text, data.value)
        wait(800)
        compare(cloud.messages(subTopic), [])
    }

    function test_emptyFieldsAreRefused_data() {
        return [
            { tag: "slave", field: "slaveIdField" },
            { tag: "function code", field: "funcCodeField" },
            { tag: "address", field: "addrrsField" },
            { tag: "values", field: "valField" }
        ]
    }

    function test_emptyFieldsAreRefused(data) {
        fillForm(0, "1", "16", "0", "1,2")
        named(data.field).text = ""
        click("writeButton")
        expectLine("Enter all values", "red")
        verify(!page.addingDevice)
        wait(800)
        compare(cloud.messages(subTopic), [])
    }

    // Unlike the single page, a good list clears an earlier refusal at once.
    function test_acceptedListClearsTheMessage() {
        silenceGateway()
        fillForm(0, "1", "16", "0", "1,,2")
        click("writeButton")
        expectLine("Values should be like: 100,40,20", "red")
        named("valField").text = "1,2"
        click("writeButton")
        compare(named("errText").text, "")
        verify(page.addingDevice)
        seenOn(subTopic, 1)
    }

    function test_failureReportedByTheGateway_data() {
        return [
            { tag: "refused, OK", fields: ["1", "16", "0", "1,2"], button: "failedpopupPrimary" },
            { tag: "no number for the slave, Close", fields: ["x1", "16", "0", "1,2"],
              button: "failedpopupSecondary" }
        ]
    }

    function test_failureReportedByTheGateway(data) {
        cloud.setFailWrites(data.tag.indexOf("refused") === 0)
        fillForm(1, data.fields[0], data.fields[1], data.fields[2], data.fields[3])
        click("writeButton")
        seenOn(subTopic, 1)
        var dialog = expectWriteOutcome(false)
        compare(seenOn("Kestrelvane/KV-0001/pub/port2", 1), ['{"write":"FAIL"}'])
        wait(100)
        mouseClick(named(data.button))
        tryCompare(dialog, "opened", false)
        expectFormEmpty()
    }

    function test_guardEndsTheWaitAfterTenSeconds() {
        silenceGateway()
        fillForm(1, "3", "16", "0", "1000,0,50,400")
        var t0 = Date.now()
        click("writeButton")
        seenOn(subTopic, 1)
        verify(page.addingDevice)
        wait(9000)
        verify(page.addingDevice, "gave up before 10 s")
        verify(!named("failedpopup").opened)
        var dialog = expectWriteOutcome(false)
        var elapsed = Date.now() - t0
        verify(elapsed >= 9800 && elapsed < 11500, "guard fired after " + elapsed + " ms")
        compare(cloud.writeRequests(), [])
    }
}
