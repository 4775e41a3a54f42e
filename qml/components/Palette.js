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
