import QtQuick
import QtQuick.Layouts
import "Keyboard.js" as Keyboard

// The right-aligned pair that ends every form: the primary button ("Save"
// unless the form says otherwise) first, then the secondary one ("Clear"),
// in the same order on every page, which is also the order Tab takes. The
// buttons are named `name` + "Save" / `name` + "Clear" unless the form names
// them itself. Enter in the form that holds them presses the primary one.
RowLayout {
    id: row
    property string name
    property bool showClear: true
    property alias primaryButton: primary
    property alias secondaryButton: secondary
    signal saveClicked()
    signal clearClicked()
    Layout.alignment: Qt.AlignRight
    Layout.topMargin: 8
    spacing: 12

    Component.onCompleted: {
        var form = Keyboard.enclosingForm(row)
        if (form)
            form.submitted.connect(row.saveClicked)
    }

    PrimaryButton {
        id: primary
        objectName: row.name + "Save"
        Layout.preferredWidth: 160
        Layout.preferredHeight: 42
        radius: 21
        text: "Save"
        onClicked: row.saveClicked()
    }
    SecondaryButton {
        id: secondary
        objectName: row.name + "Clear"
        visible: row.showClear
        Layout.preferredWidth: 160
        Layout.preferredHeight: 42
        radius: 21
        text: "Clear"
        onClicked: row.clearClicked()
    }
}
