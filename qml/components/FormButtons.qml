import QtQuick
import QtQuick.Layouts

// The right-aligned "Save" and "Clear" pair that ends a settings form. The
// buttons are named `name` + "Save" / `name` + "Clear".
RowLayout {
    id: row
    property string name
    property bool showClear: true
    signal saveClicked()
    signal clearClicked()
    Layout.alignment: Qt.AlignRight
    Layout.topMargin: 8
    spacing: 12

    SecondaryButton {
        objectName: row.name + "Clear"
        visible: row.showClear
        Layout.preferredWidth: 160
        Layout.preferredHeight: 42
        radius: 21
        text: "Clear"
        onClicked: row.clearClicked()
    }
    PrimaryButton {
        objectName: row.name + "Save"
        Layout.preferredWidth: 160
        Layout.preferredHeight: 42
        radius: 21
        text: "Save"
        onClicked: row.saveClicked()
    }
}
