import QtQuick
import QtTest

// The single register page against a real broker and the simulated gateway:
// the exact request on the sub topic, the gateway's answer, the 10 s guard
// and the refusals that send nothing.
CloudCommandCase {
    name: "SingleRegister"

    function init() {
        openPage("qrc:/SingleRegister.qml", "Registers - Single Register")
    }

    function test_writeSendsTheExactRequest_data() {
        return [
            { tag: "port 1 example", port: 0, slave: "1", fc: "6", addr: "100", value: "1000", written: true,
              json: '{"addr":100,"fc":6,"key":"Kestrelvane","port":1,"slave":1,"value":1000}' },
            { tag: "port 2, hex address, slave of spaces", port: 1, slave: "   ", fc: "6", addr: "0x10", value: "70000",
              written: true, json: '{"addr":16,"fc":6,"key":"Kestrelvane","port":2,"slave":0,"value":70000}' },
            { tag: "octal, binary, spaces around", port: 0, slave: " 0o17 ", fc: "0b110", addr: " 5", value: "0XfF",
              written: true, json: '{"addr":5,"fc":6,"key":"Kestrelvane","port":1,"slave":15,"value":255}' },
            { tag: "fraction and exponent sent as typed", port: 0, slave: "1", fc: "3", addr: "1e2", value: "2.5",
              written: true, json: '{"addr":100,"fc":3,"key":"Kestrelvane","port":1,"slave":1,"value":2.5}' },
            { tag: "no number goes as null", port: 0, slave: "1", fc: "6", addr: "12a", value: "5",
              written: false, json: '{"addr":null,"fc":6,"key":"Kestrelvane","port":1,"slave":1,"value":5}' },
            { tag: "infinity goes as null", port: 1, slave: "1", fc: "6", addr: "1", value: "-Infinity",
              written: false, json: '{"addr":1,"fc":6,"key":"Kestrelvane","port":2,"slave":1,"value":null}' }
        ]
    }

    function test_writeSendsTheExactRequest(data) {
        fillForm(data.port, data.slave, data.fc, data.addr, data.value)
        click("writeButton")
        verify(page.addingDevice)
        verify(page.writeTimeout.running)
        compare(seenOn(subTopic, 1), [data.json])
        tryVerify(function() { return cloud.writeRequests().length > 0 }, 5000)
        compare(cloud.writeRequests(), [data.json])
        // The answer comes on the port's data topic.
        var answer = data.written ? '{"write":"OK"}' : '{"write":"FAIL"}'
        compare(seenOn("Kestrelvane/KV-0001/pub/port" + (data.port + 1), 1), [answer])
        expectWriteOutcome(data.written)
        compare(cloud.gatewayCommands(), [])
    }

    function test_dialogButtonsEmptyTheForm_data() {
        return [
            { tag: "success, Done", fail: false, button: "addedSuccesspopupPrimary" },
            { tag: "success, Close", fail: false, button: "addedSuccesspopupSecondary" },
            { tag: "failure, OK", fail: true, button: "failedpopupPrimary" },
            { tag: "failure, Close", fail: true, button: "failedpopupSecondary" }
        ]
    }

    function test_dialogButtonsEmptyTheForm(data) {
        cloud.setFailWrites(data.fail)
        fillForm(1, "1", "6", "100", "1000")
        click("writeButton")
        var dialog = expectWriteOutcome(!data.fail)
        var success = named("addedSuccesspopup")
        compare(success.message, "Parameters has been written successfully.")
        compare(success.title, "Parameters Written")
        compare(named("failedpopup").title, "Failure")
        compare(named("failedpopup").message, "Failed to write parameters.")
        // The gateway refused a well-formed request.
        compare(cloud.writeRequests().length, 1)
        wait(100)
        mouseClick(named(data.button))
        tryCompare(dialog, "opened", false)
        expectFormEmpty()
    }

    function test_emptyFieldsAreRefused_data() {
        return [
            { tag: "slave", field: "slaveIdField" },
            { tag: "function code", field: "funcCodeField" },
            { tag: "address", field: "addrrsField" },
            { tag: "value", field: "valField" }
        ]
    }

    function test_emptyFieldsAreRefused(data) {
        fillForm(0, "1", "6", "100", "1000")
        named(data.field).text = ""
        click("writeButton")
        expectLine("Enter all values", "red")
        verify(!page.addingDevice)
        verify(!page.writeTimeout.running)
        wait(800)
        compare(cloud.messages(subTopic), [])
        compare(cloud.writeRequests(), [])
        // The form is left as it was.
        compare(named("addrrsField").text, data.field === "addrrsField" ? "" : "100")
    }

    function test_clearEmptiesTheFormAndSendsNothing() {
        fillForm(0, "1", "6", "", "1000")
        click("writeButton")
        expectLine("Enter all values", "red")
        fillForm(1, "1", "6", "100", "1000")
        click("clearButton")
        expectFormEmpty()
        wait(800)
        compare(cloud.messages(subTopic), [])
    }

    function test_earlierMessageStaysUntilTheOutcome() {
        fillForm(0, "1", "6", "", "1000")
        click("writeButton")
        expectLine("Enter all values", "red")
        silenceGateway()
        named("addrrsField").text = "100"
        click("writeButton")
        verify(page.addingDevice)
        seenOn(subTopic, 1)
        compare(named("errText").text, "Enter all values")
        // The gateway's answer, published late by hand.
        cloud.publish("Kestrelvane/KV-0001/pub/port1", '{"write":"OK"}')
        expectWriteOutcome(true)
    }

    function test_otherAnswersAreIgnored_data() {
        return [
            { tag: "lower-case ok", payload: '{"write":"ok"}' },
            { tag: "no write member", payload: '{"status":"OK"}' },
            { tag: "not JSON", payload: 'write OK' }
        ]
    }

    function test_otherAnswersAreIgnored(data) {
        silenceGateway()
        fillForm(0, "1", "6", "100", "1000")
        click("writeButton")
        seenOn(subTopic, 1)
        cloud.publish("Kestrelvane/KV-0001/pub/port1", data.payload)
        tryVerify(function() { return tcpClient.terminalLogFromMqtt.indexOf(data.payload) >= 0 }, 5000)
        wait(200)
        verify(page.addingDevice)
        verify(page.writeTimeout.running)
        verify(!named("addedSuccesspopup").opened)
        verify(!named("failedpopup").opened)
    }

    // No answer: the guard counts 10 s from the first of two writes, and an
    // answer that comes after it is still shown.
    function test_guardEndsTheWaitAfterTenSeconds() {
        silenceGateway()
        fillForm(0, "1", "6", "100", "1000")
        var t0 = Date.now()
        click("writeButton")
        seenOn(subTopic, 1)
        wait(3000)
        click("writeButton")
        compare(seenOn(subTopic, 2).length, 2)
        // The gateway was not there to take them.
        compare(cloud.writeRequests(), [])
        verify(page.addingDevice)
        tryCompare(named("failedpopup"), "opened", true, 11000)
        var elapsed = Date.now() - t0
        verify(elapsed >= 9800 && elapsed < 11500, "guard fired after " + elapsed + " ms")
        expectWriteOutcome(false)
        // A late "written" opens the success dialog as well.
        cloud.publish("Kestrelvane/KV-0001/pub/port1", '{"write":"OK"}')
        expectWriteOutcome(true)
    }
}
