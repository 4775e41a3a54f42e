.pragma library

// The register write request the cloud pages hand to the gateway: the gateway
// forms the Modbus frame itself, so the pages only read the operator's
// numbers and name the port, the slave and the registers.

// Every request carries this fixed key; the gateway ignores anything else.
var requestKey = "Kestrelvane"

var decimalPattern = /^[+-]?(\d+\.?\d*|\.\d+)([eE][+-]?\d+)?$/
var prefixedPattern = /^0([xX][0-9A-Fa-f]+|[oO][0-7]+|[bB][01]+)$/
var bases = { x: 16, o: 8, b: 2 }
var infinityPattern = /^[+-]?Infinity$/
// Decimal digit groups separated by single commas, nothing else.
var valuesPattern = /^\d+(,\d+)*$/

// A field's text as a number: white space at both ends is ignored, white
// space alone reads as 0, and a decimal number or one with a "0x", "0o" or
// "0b" prefix reads as its value. Anything else, and an infinite number,
// gives null, which goes to the gateway as JSON null: it cannot be written
// as a JSON number, and the gateway's answer decides what null means.
function readNumber(text) {
    var trimmed = String(text).trim()
    if (trimmed.length === 0)
        return 0
    if (infinityPattern.test(trimmed))
        return null
    var value
    if (prefixedPattern.test(trimmed))
        value = parseInt(trimmed.slice(2), bases[trimmed.charAt(1).toLowerCase()])
    else if (decimalPattern.test(trimmed))
        value = Number(trimmed)
    else
        return null
    return isFinite(value) ? value : null
}

// True when any of the texts is empty (white space counts as typed).
function anyEmpty(texts) {
    for (var i = 0; i < texts.length; ++i) {
        if (String(texts[i]).length === 0)
            return true
    }
    return false
}

// The values of a multiple-register write, or null when the text is not
// like "100,40,20" (white space allowed only at both ends).
function readValues(text) {
    var trimmed = String(text).trim()
    if (!valuesPattern.test(trimmed))
        return null
    return trimmed.split(",").map(function(group) {
        var value = parseInt(group, 10)
        // Beyond what a double holds exactly the value is still a number;
        // only an overflow to infinity has no JSON form.
        return isFinite(value) ? value : null
    })
}

function baseRequest(fields) {
    return {
        key: requestKey,
        port: fields.port,
        slave: readNumber(fields.slave),
        fc: readNumber(fields.fc),
        addr: readNumber(fields.addr)
    }
}

// fields: { port (1 or 2), slave, fc, addr, value } with the texts as typed.
function singleRequest(fields) {
    var request = baseRequest(fields)
    request.value = readNumber(fields.value)
    return request
}

// The same with the values text; null when that text is refused.
function multipleRequest(fields) {
    var values = readValues(fields.value)
    if (values === null)
        return null
    var request = baseRequest(fields)
    request.values = values
    return request
}
