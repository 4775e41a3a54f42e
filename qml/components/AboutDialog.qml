import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import "Palette.js" as Palette

// The tool's name and version, opened from the side menus. Escape, a click
// outside or "OK" closes it.
ModalPopup {
    id: dialog

    width: 380
    height: 200
    initialFocus: okButton
    parent: Overlay.overlay
    anchors.centerIn: parent
    background: Rectangle {
        color: Palette.page
        radius: 12
        border.width: 1.5
        border.color: Palette.accent
    }

    ColumnLayout {
        anchors.fill: parent
        spacing: 10
        Text {
            Layout.fillWidth: true
            text: "Industrial 4G Gateway Configuration Tool"
            color: Palette.accent
            font.bold: true
            font.pixelSize: 18
            font.family: qcksnd.name
            wrapMode: Text.WordWrap
            horizontalAlignment: Text.AlignHCenter
        }
        Text {
            objectName: "aboutVersion"
            Layout.fillWidth: true
            Layout.fillHeight: true
            text: "Version " + Qt.application.version
            color: "white"
            font.pixelSize: 16
            font.family: qcksnd.name
            horizontalAlignment: Text.AlignHCenter
            verticalAlignment: Text.AlignVCenter
        }
        PrimaryButton {
            id: okButton
            Layout.alignment: Qt.AlignHCenter
            implicitWidth: 100
            implicitHeight: 42
            text: "OK"
            onClicked: dialog.close()
        }
    }
}
