.pragma library
.import "HexUtils.js" as HexUtils

// Four dot-separated decimal fields of 0 to 255, nothing around them; a
// leading zero is accepted only where the field has at most two digits.
var ipPattern = /^(25[0-5]|2[0-4][0-9]|1?[0-9]{1,2})(\.(25[0-5]|2[0-4][0-9]|1?[0-9]{1,2})){3}$/

function isValidIP(text) {
    return ipPattern.test(String(text))
}

// The identifier a typed cloud entry stands for: all white space removed.
function cloudIdentifier(text) {
    return HexUtils.stripHexSpaces(text)
}

// "+" and "#" are MQTT wildcards and "/" separates topic levels: such an
// identifier would address other gateways' topics or none at all.
function isUsableDeviceId(id) {
    return !/[+#\/]/.test(id)
}

var unusableIdMessage = "A device ID cannot contain \"+\", \"#\" or \"/\"."
