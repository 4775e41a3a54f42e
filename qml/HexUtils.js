.pragma library
.import Kestrelvane.Rules 1.0 as Rules

// Removes every white-space character, wherever it stands.
function stripHexSpaces(text) {
    return String(text).replace(/\s+/g, "")
}

// True for a non-empty string of hexadecimal digits only; the number of
// digits is not checked.
function isValidHex(text) {
    return Rules.GatewayRules.isHex(String(text))
}
