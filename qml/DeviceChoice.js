.pragma library
.import "HexUtils.js" as HexUtils
.import Kestrelvane.Rules 1.0 as Rules

// Four dot-separated decimal fields of 0 to 255, nothing around them; a
// leading zero is accepted only where the field has at most two digits.
function isValidIP(text) {
    return Rules.GatewayRules.isValidIp(String(text))
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
