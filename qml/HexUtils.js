.pragma library

// Removes every white-space character, wherever it stands.
function stripHexSpaces(text) {
    return String(text).replace(/\s+/g, "")
}

// True for a non-empty string of hexadecimal digits only; the number of
// digits is not checked.
function isValidHex(text) {
    return /^[0-9A-Fa-f]+$/.test(String(text))
}
