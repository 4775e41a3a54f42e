import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import "components"
import "components/Palette.js" as Palette
import "DeviceChoice.js" as DeviceChoice

// The gateway's LAN settings: static address, mask and default gateway.
Rectangle {
    id: page
    color: Palette.page

    property alias ntwrkSettingDevice: saver.busy
    property alias popupMessage: saver.popupMessage
    property alias popupColor: saver.popupColor
    property string errText
    property bool validationAttempted: false
    // The values being saved, fixed when "Save" is pressed.
    property string staticNetText
    property string subnetText
    property string gatenetText

    function isValidIP(text) {
        return DeviceChoice.isValidIP(text)
    }

    function save() {
        validationAttempted = true
        var fields = [ipField, subnetField, gatewayField]
        if (fields.some(function(f) { return f.text.length === 0 })) {
            errText = "Please enter all values"
            return
        }
        if (fields.some(function(f) { return !isValidIP(f.text) })) {
            errText = "Please enter valid IP addresses"
            return
        }
        staticNetText = ipField.text
        subnetText = subnetField.text
        gatenetText = gatewayField.text
        errText = ""
        saver.savePaced("Saving Network Settings...", [
            { key: "staticIP", value: staticNetText },
            { key: "subnet", value: subnetText },
            { key: "gateway", value: gatenetText }
        ], 2000)
    }

    function clearStaged() {
        staticNetText = ""
        subnetText = ""
        gatenetText = ""
    }

    // A labelled address field; once "Save" was pressed its border turns red
    // while it is empty or no address, and a non-empty bad value is named
    // under it.
    component AddressField: ColumnLayout {
        id: block
        property alias caption: entry.caption
        property alias text: entry.text
        property alias placeholderText: entry.placeholderText
        property alias field: entry.field
        property string invalidText
        readonly property bool malformed: text.length > 0 && !page.isValidIP(text)
        Layout.fillWidth: true
        spacing: 2
        LabeledField {
            id: entry
            Layout.fillWidth: true
            field.font.pixelSize: 16
            invalid: page.validationAttempted && (block.text.length === 0 || block.malformed)
        }
        Text {
            objectName: block.objectName + "Message"
            visible: page.validationAttempted && block.malformed
            text: block.invalidText
            color: "red"
            font.pixelSize: 12
            textFormat: Text.PlainText
        }
    }

    SettingsSave {
        id: saver
        deviceIP: currentdeviceIP
        popupName: "networkstatusPopUp"
        successText: "Network settings saved successfully"
        failureText: "Failed to save Network settings"
        onSaveSent: page.clearStaged()
    }

    PageCard {
        anchors.fill: parent
        title: "LAN Static IP Configuration"

        ScrollForm {
            anchors.fill: parent

            SettingsMessage { objectName: "errText"; saver: saver; message: page.errText }

            AddressField {
                id: ipField
                objectName: "ipField"
                caption: "Static IP"
                placeholderText: "192.168.1.100"
                invalidText: "Invalid IP Address"
                Component.onCompleted: saver.track(ipField, "staticIP")
            }
            AddressField {
                id: subnetField
                objectName: "subnetField"
                caption: "Subnet Mask"
                placeholderText: "255.255.255.0"
                invalidText: "Invalid Subnet Mask"
                Component.onCompleted: saver.track(subnetField, "subnet")
            }
            AddressField {
                id: gatewayField
                objectName: "gatewayField"
                caption: "Default Gateway"
                placeholderText: "192.168.1.1"
                invalidText: "Invalid Gateway Address"
                Component.onCompleted: saver.track(gatewayField, "gateway")
            }

            FormButtons {
                name: "network"
                showClear: false
                onSaveClicked: page.save()
            }
        }
    }

    BusyOverlay { visible: page.ntwrkSettingDevice }

    Component.onDestruction: clearStaged()
}
