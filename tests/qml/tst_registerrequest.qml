import QtQuick
import QtTest
import "qrc:/RegisterRequest.js" as RegisterRequest

// The number rules of the register write request and the strict values list
// of the multiple-register page (the requests they make are checked whole, as
// the broker sees them, in the register pages' suite).
TestCase {
    name: "RegisterRequest"

    // Rows of [name, text, expected].
    function rows(list) {
        return list.map(function(r) { return { tag: r[0], text: r[1], expected: r[2] } })
    }

    function test_readNumber_data() {
        return rows([
            ["decimal", "100", 100], ["spaces around", "  42\t", 42], ["white space only", "   ", 0],
            ["negative", "-5", -5], ["fraction", "1.5", 1.5], ["exponent", "1e3", 1000],
            ["leading zeros stay decimal", "007", 7], ["hex lower", "0x10", 16], ["octal", "0o17", 15],
            ["binary", "0b101", 5], ["letters after digits", "12a", null], ["space inside", "1 2", null],
            ["signed hex", "-0x10", null], ["prefix without digits", "0x", null], ["infinity", "Infinity", null],
            ["overflow to infinity", "1e999", null]
        ])
    }

    function test_readNumber(data) {
        compare(RegisterRequest.readNumber(data.text), data.expected)
    }

    function test_readValues_data() {
        return rows([
            ["four values", "1000,0,50,400", [1000, 0, 50, 400]], ["leading zeros dropped", "007,010", [7, 10]],
            ["space after a comma", "100, 40", null], ["empty group", "100,,40", null],
            ["trailing comma", "100,40,", null], ["sign", "-5", null], ["leading comma", ",100", null],
            ["decimal point", "1.5,2", null], ["hex prefix", "0x10", null], ["empty", "", null]
        ])
    }

    function test_readValues(data) {
        compare(RegisterRequest.readValues(data.text), data.expected)
    }
}
