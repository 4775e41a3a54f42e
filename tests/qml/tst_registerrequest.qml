import QtQuick
import QtTest
import "qrc:/RegisterRequest.js" as RegisterRequest

// The number rules of the register write request and the strict values list
// of the multiple-register page (the requests they make are checked whole, as
// the broker sees them, in the register pages' suite).
TestCase {
    name: "RegisterRequest"

    function test_readNumber_data() {
        return [
            { tag: "decimal", text: "100", value: 100 },
            { tag: "spaces around", text: "  42\t", value: 42 },
            { tag: "white space only", text: "   ", value: 0 },
            { tag: "negative", text: "-5", value: -5 },
            { tag: "fraction", text: "1.5", value: 1.5 },
            { tag: "exponent", text: "1e3", value: 1000 },
            { tag: "leading zeros stay decimal", text: "007", value: 7 },
            { tag: "hex lower", text: "0x10", value: 16 },
            { tag: "octal", text: "0o17", value: 15 },
            { tag: "binary", text: "0b101", value: 5 },
            { tag: "letters after digits", text: "12a", value: null },
            { tag: "space inside", text: "1 2", value: null },
            { tag: "signed hex", text: "-0x10", value: null },
            { tag: "prefix without digits", text: "0x", value: null },
            { tag: "infinity", text: "Infinity", value: null },
            { tag: "overflow to infinity", text: "1e999", value: null },
        ]
    }

    function test_readNumber(data) {
        compare(RegisterRequest.readNumber(data.text), data.value)
    }

    function test_readValues_data() {
        return [
            { tag: "four values", text: "1000,0,50,400", values: [1000, 0, 50, 400] },
            { tag: "leading zeros dropped", text: "007,010", values: [7, 10] },
            { tag: "space after a comma", text: "100, 40", values: null },
            { tag: "empty group", text: "100,,40", values: null },
            { tag: "trailing comma", text: "100,40,", values: null },
            { tag: "sign", text: "-5", values: null },
            { tag: "leading comma", text: ",100", values: null },
            { tag: "decimal point", text: "1.5,2", values: null },
            { tag: "hex prefix", text: "0x10", values: null },
            { tag: "empty", text: "", values: null }
        ]
    }

    function test_readValues(data) {
        compare(RegisterRequest.readValues(data.text), data.values)
    }
}
