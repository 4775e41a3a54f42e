import QtQuick
import QtTest
import "qrc:/RegisterRequest.js" as RegisterRequest

// The number rules of the register write request, the strict values list of
// the multiple-register page and the maps that go to the backend.
TestCase {
    name: "RegisterRequest"

    function test_readNumber_data() {
        return [
            { tag: "decimal", text: "100", value: 100 },
            { tag: "spaces around", text: "  42\t", value: 42 },
            { tag: "white space only", text: "   ", value: 0 },
            { tag: "tab and newline only", text: "\t\n", value: 0 },
            { tag: "negative", text: "-5", value: -5 },
            { tag: "plus sign", text: "+7", value: 7 },
            { tag: "fraction", text: "1.5", value: 1.5 },
            { tag: "leading point", text: ".25", value: 0.25 },
            { tag: "trailing point", text: "5.", value: 5 },
            { tag: "exponent", text: "1e3", value: 1000 },
            { tag: "signed exponent", text: "25E-1", value: 2.5 },
            { tag: "leading zeros stay decimal", text: "007", value: 7 },
            { tag: "hex lower", text: "0x10", value: 16 },
            { tag: "hex upper prefix", text: "0XfF", value: 255 },
            { tag: "octal", text: "0o17", value: 15 },
            { tag: "octal upper prefix", text: "0O7", value: 7 },
            { tag: "binary", text: "0b101", value: 5 },
            { tag: "binary upper prefix", text: "0B11", value: 3 },
            { tag: "hex with spaces around", text: " 0x1F ", value: 31 },
            { tag: "large value unchanged", text: "70000", value: 70000 },
            { tag: "letters after digits", text: "12a", value: null },
            { tag: "space inside", text: "1 2", value: null },
            { tag: "signed hex", text: "-0x10", value: null },
            { tag: "prefix without digits", text: "0x", value: null },
            { tag: "octal digit out of range", text: "0o8", value: null },
            { tag: "binary digit out of range", text: "0b2", value: null },
            { tag: "hex digit out of range", text: "0xG", value: null },
            { tag: "comma", text: "1,5", value: null },
            { tag: "lone sign", text: "-", value: null },
            { tag: "lone point", text: ".", value: null },
            { tag: "exponent without digits", text: "1e", value: null },
            { tag: "infinity", text: "Infinity", value: null },
            { tag: "negative infinity", text: "-Infinity", value: null },
            { tag: "overflow to infinity", text: "1e999", value: null },
            { tag: "NaN word", text: "NaN", value: null },
            { tag: "word", text: "abc", value: null }
        ]
    }

    function test_readNumber(data) {
        compare(RegisterRequest.readNumber(data.text), data.value)
    }

    function test_readValues_data() {
        return [
            { tag: "four values", text: "1000,0,50,400", values: [1000, 0, 50, 400] },
            { tag: "one value", text: "5", values: [5] },
            { tag: "spaces around the list", text: "  100,40,20 ", values: [100, 40, 20] },
            { tag: "leading zeros dropped", text: "007,010", values: [7, 10] },
            { tag: "many values", text: "1,2,3,4,5,6,7,8,9,10,11,12,13,14,15,16,17,18,19,20",
              values: [1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 20] },
            { tag: "space after a comma", text: "100, 40", values: null },
            { tag: "space before a comma", text: "100 ,40", values: null },
            { tag: "empty group", text: "100,,40", values: null },
            { tag: "trailing comma", text: "100,40,", values: null },
            { tag: "leading comma", text: ",100", values: null },
            { tag: "sign", text: "-5", values: null },
            { tag: "plus sign", text: "+5", values: null },
            { tag: "decimal point", text: "1.5,2", values: null },
            { tag: "hex prefix", text: "0x10", values: null },
            { tag: "semicolons", text: "1;2", values: null },
            { tag: "white space only", text: "   ", values: null },
            { tag: "empty", text: "", values: null }
        ]
    }

    function test_readValues(data) {
        compare(RegisterRequest.readValues(data.text), data.values)
    }

    function test_anyEmpty_data() {
        return [
            { tag: "all typed", texts: ["1", "6", "100", "5"], empty: false },
            { tag: "spaces count as typed", texts: ["  ", "6", "100", "5"], empty: false },
            { tag: "first empty", texts: ["", "6", "100", "5"], empty: true },
            { tag: "last empty", texts: ["1", "6", "100", ""], empty: true }
        ]
    }

    function test_anyEmpty(data) {
        compare(RegisterRequest.anyEmpty(data.texts), data.empty)
    }

    function test_singleRequest_data() {
        return [
            { tag: "example", fields: { port: 1, slave: "1", fc: "6", addr: "100", value: "1000" },
              request: { key: "Kestrelvane", port: 1, slave: 1, fc: 6, addr: 100, value: 1000 } },
            { tag: "prefixes and spaces", fields: { port: 2, slave: "  ", fc: "0x06", addr: "0x10", value: "0b1" },
              request: { key: "Kestrelvane", port: 2, slave: 0, fc: 6, addr: 16, value: 1 } },
            { tag: "no number gives null", fields: { port: 1, slave: "1", fc: "6", addr: "12a", value: "Infinity" },
              request: { key: "Kestrelvane", port: 1, slave: 1, fc: 6, addr: null, value: null } }
        ]
    }

    function test_singleRequest(data) {
        var request = RegisterRequest.singleRequest(data.fields)
        compare(request, data.request)
        verify(!request.hasOwnProperty("values"))
    }

    function test_multipleRequest_data() {
        return [
            { tag: "example", fields: { port: 2, slave: "3", fc: "16", addr: "0", value: "1000,0,50,400" },
              request: { key: "Kestrelvane", port: 2, slave: 3, fc: 16, addr: 0, values: [1000, 0, 50, 400] } },
            { tag: "number rules for the other fields", fields: { port: 1, slave: "0o10", fc: "x", addr: " 7 ", value: " 9 " },
              request: { key: "Kestrelvane", port: 1, slave: 8, fc: null, addr: 7, values: [9] } },
            { tag: "refused values", fields: { port: 1, slave: "1", fc: "16", addr: "0", value: "1, 2" },
              request: null }
        ]
    }

    function test_multipleRequest(data) {
        var request = RegisterRequest.multipleRequest(data.fields)
        compare(request, data.request)
        if (request !== null)
            verify(!request.hasOwnProperty("value"))
    }
}
