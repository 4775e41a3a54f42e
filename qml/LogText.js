.pragma library

// Rules for the log views. The logs are whole texts that the backend only
// ever extends at the end, so a view can append what is new instead of
// laying out the whole text again on every line.

// Number of pieces the text falls into at its line feeds: a text without a
// line feed is one piece, and the empty piece after a final line feed
// counts too. Counting stops at `stopAt` when it is given, so checking a
// limit costs no more than the limit.
function pieceCount(text, stopAt) {
    var s = text === undefined || text === null ? "" : String(text)
    var count = 1
    var at = s.indexOf("\n")
    while (at >= 0) {
        ++count
        if (stopAt > 0 && count >= stopAt)
            return count
        at = s.indexOf("\n", at + 1)
    }
    return count
}

// True once the text splits into `limit` or more pieces.
function reachesLimit(text, limit) {
    return limit > 0 && pieceCount(text, limit) >= limit
}

// What `text` adds to `shown` when it only grew at its end; null when it
// changed in any other way (cleared, replaced, shortened), so the view has
// to show it afresh. An unchanged text adds "".
function appendedPart(shown, text) {
    var before = shown === undefined || shown === null ? "" : String(shown)
    var after = text === undefined || text === null ? "" : String(text)
    if (after === before)
        return ""
    // Nothing shown yet: showing the text afresh is as cheap as appending.
    if (before.length === 0 || after.length < before.length)
        return null
    if (after.substring(0, before.length) !== before)
        return null
    return after.substring(before.length)
}
