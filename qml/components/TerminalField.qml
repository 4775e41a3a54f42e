import QtQuick

// A caption above a dark text field, in the test terminals' left panel.
LabeledField {
    captionColor: "white"
}
