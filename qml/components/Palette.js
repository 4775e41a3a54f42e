.pragma library

// The colours every page shares.
var window = "#1e2a36"
var page = "#243447"
var card = "#2c3e50"
var accent = "#6fb8c5"
var caption = "#a0b8cc"
var fieldFill = "#1e2a36"
var fieldBorder = "#3a5068"
var placeholder = "#667788"
var gradientTop = "#6FE7E7"
var gradientBottom = "#4CAF93"
var danger = "#c0392b"
var success = "#1F8A70"
var saving = "#3498db"
// A page's card lets the page show through it a little.
var cardOpacity = 0.9

// How `color` ("#rrggbb") looks inside a page card, which is drawn at
// `cardOpacity` over the page: for what is drawn over the card, opaque.
function throughCard(color) {
    var seen = ""
    for (var i = 1; i < 7; i += 2) {
        var mixed = Math.round(cardOpacity * parseInt(color.substr(i, 2), 16)
                               + (1 - cardOpacity) * parseInt(page.substr(i, 2), 16))
        seen += (mixed < 16 ? "0" : "") + mixed.toString(16)
    }
    return "#" + seen
}
