import QtQuick
import QtTest
import "qrc:/RegisterRequest.js" as RegisterRequest

// The register pages through the broker: the exact request, the gateway's
// answer, the 10 s guard, the refusals; and the request's number rules.
PageCase {
    name: "RegisterPages"

    readonly property string single: "qrc:/SingleRegister.qml"
    readonly property string multiple: "qrc:/MultipleRegister.qml"

    function form(port, slave, fc, addr, value) {
        return { portCombo: port, slaveIdField: slave, funcCodeField: fc, addrrsField: addr, valField: value }
    }

    function expectFormEmpty() {
        compare(["portCombo", "slaveIdField", "funcCodeField", "addrrsField", "valField", "errText"].map(
                    function(n) { return n === "portCombo" ? named(n).currentIndex : named(n).text }), [0, "", "", "", "", ""])
    }

    function expectOutcome(written) {
        var dialog = waitOpened(written ? "addedSuccesspopup" : "failedpopup", 12000)
        expectLine(written ? "Parameters Written successfully" : "Failed to write parameters.",
                   written ? "white" : "red")
        verify(!page.addingDevice && !page.writeTimeout.running)
        return dialog
    }

    // The exact request, the answer on the port's data topic, the form emptied
    // after the outcome. A form the page refuses (`message`) sends nothing:
    // "Clear" empties it, or (`good`) the next write goes out, the single page
    // keeping the refusal until the outcome and the multiple page clearing it
    // as soon as the list is accepted; that answer is published late by hand.
    function test_writeSendsTheExactRequest_data() {
        var key = '"key":"Kestrelvane",', all = "Enter all values", list = "Values should be like: 100,40,20"
        return [
            { tag: "single, port 1", url: single, form: form(0, "1", "6", "100", "1000"), button: "addedSuccesspopupPrimary",
              json: '{"addr":100,"fc":6,' + key + '"port":1,"slave":1,"value":1000}', key: Qt.Key_Space },
            { tag: "single, port 2, hex address, slave of spaces", url: single,
              form: form(1, "   ", "6", "0x10", "70000"), button: "addedSuccesspopupSecondary",
              json: '{"addr":16,"fc":6,' + key + '"port":2,"slave":0,"value":70000}' },
            { tag: "single, no number goes as null", url: single, form: form(0, "1", "6", "12a", "5"), refused: true,
              button: "failedpopupPrimary", json: '{"addr":null,"fc":6,' + key + '"port":1,"slave":1,"value":5}' },
            { tag: "multiple, port 2", url: multiple, form: form(1, "3", "16", "0", "1000,0,50,400"),
              button: "addedSuccesspopupPrimary", json: '{"addr":0,"fc":16,' + key + '"port":2,"slave":3,"values":[1000,0,50,400]}' },
            { tag: "multiple, spaces around the list", url: multiple, form: form(0, "1", "0b10000", "7", "  007,40 "),
              button: "addedSuccesspopupPrimary", json: '{"addr":7,"fc":16,' + key + '"port":1,"slave":1,"values":[7,40]}' },
            { tag: "multiple, refused by the gateway", url: multiple, form: form(1, "1", "16", "0", "1,2"),
              failWrites: true, refused: true, button: "failedpopupSecondary",
              json: '{"addr":0,"fc":16,' + key + '"port":2,"slave":1,"values":[1,2]}' },
            { tag: "single, no slave", url: single, form: form(0, "", "6", "100", "1000"), message: all },
            { tag: "single, no value", url: single, form: form(1, "1", "6", "100", ""), message: all },
            { tag: "single, no function code", url: single, form: form(0, "1", "", "100", "1"), message: all },
            { tag: "single, no address, then written", url: single, form: form(0, "1", "6", "", "1"), message: all,
              good: form(0, "1", "6", "1", "1"), kept: all, json: '{"addr":1,"fc":6,' + key + '"port":1,"slave":1,"value":1}' },
            { tag: "multiple, no address", url: multiple, form: form(0, "1", "16", "", "1,2"), message: all },
            { tag: "multiple, space inside", url: multiple, form: form(0, "1", "16", "0", "100, 40"), message: list },
            { tag: "multiple, empty group, then written", url: multiple, form: form(0, "1", "16", "0", "1,,2"), message: list,
              good: form(0, "1", "16", "0", "1,2"), kept: "", json: '{"addr":0,"fc":16,' + key + '"port":1,"slave":1,"values":[1,2]}' }
        ]
    }

    function test_writeSendsTheExactRequest(data) {
        openCloud(data.url)
        cloud.setFailWrites(!!data.failWrites)
        if (data.message) {
            silenceGateway()
            fill(data.form)
            click("writeButton")
            expectLine(data.message, "red")
            verify(!page.addingDevice && !page.writeTimeout.running)
            compare(named("valField").text, data.form.valField)
            wait(300)
            compare(cloud.messages(topic("sub")), [])
            if (!data.good) {
                click("clearButton")
                return expectFormEmpty()
            }
        }
        fill(data.good || data.form)
        click("writeButton")
        verify(page.addingDevice && page.writeTimeout.running)
        compare(seenOn(topic("sub"), 1), [data.json])
        if (data.good) {
            compare(named("errText").text, data.kept)
            cloud.publish(topic("pub/port1"), '{"write":"OK"}')
        } else { // the gateway's answer, on the port's data topic
            compare(seenOn(topic("pub/port" + (data.form.portCombo + 1)), 1),
                    [data.refused ? '{"write":"FAIL"}' : '{"write":"OK"}'])
        }
        var dialog = expectOutcome(!data.refused)
        compare(cloud.cloudCommands(), [])
        wait(100)
        if (data.key) { // Escape leaves the dialog open; the key presses its own button, not "Write" behind it
            keyClick(Qt.Key_Escape)
            verify(dialog.opened)
            keyClick(data.key)
            wait(1500)
        } else {
            mouseClick(named(data.button || "addedSuccesspopupPrimary"))
        }
        tryCompare(dialog, "opened", false)
        expectFormEmpty()
        compare(cloud.messages(topic("sub")).length, 1)
    }

    // No answer (answers of other forms are not one): the guard counts 10 s from
    // the first of two writes, and an answer that comes after it is still shown.
    function test_guardEndsTheWaitAfterTenSeconds() {
        openCloud(single)
        silenceGateway()
        fill(form(0, "1", "6", "100", "1000"))
        t0 = Date.now()
        click("writeButton")
        seenOn(topic("sub"), 1)
        wait(3000)
        click("writeButton")
        seenOn(topic("sub"), 2)
        for (var payload of ['{"write":"ok"}', 'write OK'])
            cloud.publish(topic("pub/port1"), payload)
        tryVerify(function() { return tcpClient.terminalLogFromMqtt.indexOf("write OK") >= 0 }, 5000)
        tryCompare(named("failedpopup"), "opened", true, 9000)
        var elapsed = Date.now() - t0
        verify(elapsed >= 9800 && elapsed < 11500, "guard fired after " + elapsed + " ms")
        expectOutcome(false)
        cloud.publish(topic("pub/port1"), '{"write":"OK"}')
        expectOutcome(true)
    }

    // Rows of [name, text, expected] for each of the request's readers.
    function test_numberRules_data() {
        var rows = function(reader, list) {
            return list.map(function(r) { return { tag: reader + ", " + r[0], reader: reader, text: r[1], expected: r[2] } })
        }
        return rows("readNumber", [
            ["decimal", "100", 100], ["spaces around", "  42\t", 42], ["white space only", "   ", 0],
            ["negative", "-5", -5], ["fraction", "1.5", 1.5], ["exponent", "1e3", 1000],
            ["leading zeros stay decimal", "007", 7], ["hex lower", "0x10", 16], ["octal", "0o17", 15],
            ["binary", "0b101", 5], ["letters after digits", "12a", null], ["space inside", "1 2", null],
            ["signed hex", "-0x10", null], ["prefix without digits", "0x", null], ["infinity", "Infinity", null],
            ["overflow to infinity", "1e999", null]
        ]).concat(rows("readValues", [
            ["four values", "1000,0,50,400", [1000, 0, 50, 400]], ["leading zeros dropped", "007,010", [7, 10]],
            ["space after a comma", "100, 40", null], ["empty group", "100,,40", null],
            ["trailing comma", "100,40,", null], ["sign", "-5", null], ["leading comma", ",100", null],
            ["decimal point", "1.5,2", null], ["hex prefix", "0x10", null], ["empty", "", null]
        ]))
    }

    function test_numberRules(data) {
        compare(RegisterRequest[data.reader](data.text), data.expected)
    }
}
