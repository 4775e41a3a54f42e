.pragma library
.import "HexUtils.js" as HexUtils
.import Kestrelvane.Rules 1.0 as Rules

// The RS-485 device form's rules, shared by the add and the edit form: what
// the operator typed is checked here and turned into the gateway's command
// text, so the pages only read fields and show the outcome.

var minSeconds = Rules.GatewayRules.minPollSeconds
var maxSeconds = Rules.GatewayRules.maxPollSeconds

var enterAllValues = "Enter all values"
var secondsOutOfRange = "Seconds should be between 5 and 300"
var badHex = "Hex command must contain only hex digits (0-9, A-F)"
// The name is the last field of a command line: a line break in it would
// end the command early and hand the rest to the gateway as a command of
// its own.
var badName = "Name must not contain line breaks or control characters"
// A record the gateway reports with a third port or an unknown CRC flag
// opens with no choice selected; saving it would have to invent a value.
var noChoice = "Choose the port and the CRC mode: this device's values are not among the choices"

// An unsigned decimal number with an optional exponent, as the "Seconds"
// field takes it: 7.5, 010, .5, 1e1. Nothing else may stand in the text: a
// comma or a sign would otherwise be dropped with what follows ("10,5" sent
// as 10) without the operator knowing.
var unsignedDecimal = "(?:\\d+(?:\\.\\d*)?|\\.\\d+)(?:[eE][+-]?\\d+)?"
var secondsPattern = new RegExp("^" + unsignedDecimal + "$")

// The number the whole text stands for (white space round it ignored), or
// NaN when it is not such a number.
function readSeconds(text) {
    var trimmed = String(text).trim()
    return secondsPattern.test(trimmed) ? Number(trimmed) : NaN
}

// Checks the typed values; returns { error } for a refusal, or the values as
// they go on the wire: { seconds (shortest decimal text), hex, name }.
function check(hexText, secondsText, nameText) {
    var hex = String(hexText)
    var secs = String(secondsText)
    var name = String(nameText)
    // A name of blanks would reach the gateway as no name at all.
    if (hex.length === 0 || secs.length === 0 || name.trim().length === 0)
        return { error: enterAllValues }
    var seconds = readSeconds(secs)
    if (isNaN(seconds) || seconds < minSeconds || seconds > maxSeconds)
        return { error: secondsOutOfRange }
    var digits = HexUtils.stripHexSpaces(hex)
    if (!HexUtils.isValidHex(digits))
        return { error: badHex }
    if (/[\u0000-\u001f\u007f\u2028\u2029]/.test(name))
        return { error: badName }
    return { error: "", seconds: String(seconds), hex: digits, name: name }
}

function fields(port, crc, values) {
    return port + "," + crc + "," + values.seconds + "," + values.hex + "," + values.name
}

function addCommand(port, crc, values) {
    return "rs485add " + fields(port, crc, values)
}

function modifyCommand(position, port, crc, values) {
    return "rs485mod " + position + "," + fields(port, crc, values)
}

function deleteCommand(position) {
    return "rs485del " + position
}

// "port2" -> 2; anything without a number after "port" -> NaN.
function portNumber(portText) {
    var match = /port(\d+)/.exec(String(portText))
    return match ? Number(match[1]) : NaN
}

// The poll interval as the gateway reports it ("7.5s") in the form's
// "Seconds" text: its number as written ("7.5"), so that saving an edit that
// left it alone sends the same interval; empty when it holds no number.
function secondsFromPoll(poll) {
    var match = new RegExp("^\\s*(" + unsignedDecimal + ")").exec(String(poll))
    return match ? match[1] : ""
}

// The index of the entry whose value equals `value`, or -1.
function indexOfValue(entries, value) {
    for (var i = 0; i < entries.length; ++i) {
        if (entries[i].value === value)
            return i
    }
    return -1
}

var portEntries = [ { text: "Port 1", value: 1 }, { text: "Port 2", value: 2 } ]
var crcEntries = [ { text: "1 (Auto CRC)", value: 1 }, { text: "0 (Manual CRC)", value: 0 } ]
