import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import "components"
import "components/Palette.js" as Palette

// The gateway's Wi-Fi network, its Bluetooth name and PIN, and its SIM slot
// with each SIM's access point name.
Rectangle {
    id: page
    color: Palette.page

    property alias allSettingDevice: saver.busy
    property alias popupMessage: saver.popupMessage
    property alias popupColor: saver.popupColor
    property alias wifiPendingKey: saver.pendingKey
    property string errText
    property string errTextBle
    property string errTextSim
    // The values being saved, fixed when "Save" is pressed.
    property string wifissidText
    property string wifipassText
    property string blenametext
    property string blepintext
    property string sim1apntext
    property string sim2apntext

    readonly property string section: bleRadio.checked ? "Bluetooth"
                                                        : (simRadio.checked ? "Sim" : "Wi-Fi")
    readonly property var outcomes: ({
        "Wi-Fi": ["Wi-Fi settings saved successfully", "Failed to save Wi-Fi settings"],
        "Bluetooth": ["Bluetooth settings saved successfully", "Failed to save Bluetooth settings"],
        "Sim": ["SIM settings saved successfully", "Failed to save SIM settings"]
    })

    function saveWifi() {
        if (wifiSsidField.text.length === 0 || wifiPasswordField.text.length === 0) {
            errText = "Enter all values"
            return
        }
        errText = ""
        wifissidText = wifiSsidField.text
        wifipassText = wifiPasswordField.text
        saver.saveAcknowledged("Saving Wi-Fi Settings...", [
            { key: "wifiSSID", value: wifissidText },
            { key: "wifiPass", value: wifipassText }
        ])
    }

    function saveBle() {
        if (bleNameField.text.length === 0 || blePinField.text.length === 0) {
            errTextBle = "Enter all values"
            return
        }
        errTextBle = ""
        blenametext = bleNameField.text
        blepintext = blePinField.text
        saver.savePaced("Saving Bluetooth Settings...", [
            { key: "bleName", value: blenametext },
            { key: "blePin", value: blepintext }
        ], 2000)
    }

    function saveSim() {
        if (sim1apnField.text.length === 0 || sim2apnField.text.length === 0) {
            errTextSim = "Enter all values"
            return
        }
        // Without a slot the gateway would get "SET simSlot " with no value.
        if (simSlotCombo.currentIndex < 0) {
            errTextSim = "Select a SIM slot"
            return
        }
        errTextSim = ""
        sim1apntext = sim1apnField.text
        sim2apntext = sim2apnField.text
        saver.savePaced("Saving SIM Settings...", [
            { key: "simSlot", value: simSlotCombo.currentText },
            { key: "apnSim1", value: sim1apntext },
            { key: "apnSim2", value: sim2apntext }
        ], 2000)
    }

    function clearFields(fields) {
        for (const f of fields) {
            saver.untrack(f)
            f.text = ""
        }
    }

    function clearWifi() {
        errText = ""
        clearFields([wifiSsidField, wifiPasswordField])
        wifissidText = ""
        wifipassText = ""
    }

    function clearBle() {
        errTextBle = ""
        clearFields([bleNameField, blePinField])
        blenametext = ""
        blepintext = ""
    }

    function clearSim() {
        errTextSim = ""
        clearFields([sim1apnField, sim2apnField])
        saver.choose(simSlotCombo, 0)
        sim1apntext = ""
        sim2apntext = ""
    }

    SettingsSave {
        id: saver
        deviceIP: currentdeviceIP
        popupName: "statusPopup"
        successText: page.outcomes[page.section][0]
        failureText: page.outcomes[page.section][1]
    }

    PageCard {
        anchors.fill: parent
        title: "Settings"
        card.radius: 15

        RowLayout {
            id: sections
            anchors { top: parent.top; left: parent.left; right: parent.right }
            spacing: 30
            SectionRadio { id: wifiRadio; objectName: "wifiSection"; text: "Wi-Fi"; checked: true }
            SectionRadio { id: bleRadio; objectName: "bleSection"; text: "Bluetooth" }
            SectionRadio { id: simRadio; objectName: "simSection"; text: "Sim" }
            Item { Layout.fillWidth: true }
        }

        ScrollForm {
            objectName: "wifiForm"
            anchors { top: sections.bottom; topMargin: 12; left: parent.left; right: parent.right; bottom: parent.bottom }
            visible: wifiRadio.checked

            SettingsMessage { objectName: "errText"; saver: saver; message: page.errText }
            SettingField {
                id: wifiSsidField
                objectName: "wifiSsidField"
                caption: "SSID"
                key: "wifiSSID"
                placeholderText: "Enter Wi-Fi SSID"
            }
            PasswordField {
                id: wifiPasswordField
                objectName: "wifiPasswordField"
                Layout.fillWidth: true
                caption: "Password"
                placeholderText: "Enter Wi-Fi Password"
                Component.onCompleted: saver.track(wifiPasswordField, "wifiPass")
            }
            FormButtons {
                name: "wifi"
                onSaveClicked: page.saveWifi()
                onClearClicked: page.clearWifi()
            }
        }

        ScrollForm {
            objectName: "bleForm"
            anchors { top: sections.bottom; topMargin: 12; left: parent.left; right: parent.right; bottom: parent.bottom }
            visible: bleRadio.checked

            SettingsMessage { objectName: "errTextBle"; saver: saver; message: page.errTextBle }
            SettingField { id: bleNameField; objectName: "bleNameField"; caption: "Name"; key: "bleName"; placeholderText: "Enter Bluetooth Name" }
            SettingField { id: blePinField; objectName: "blePinField"; caption: "Pin"; key: "blePin"; placeholderText: "Enter Bluetooth Pin" }
            FormButtons {
                name: "ble"
                onSaveClicked: page.saveBle()
                onClearClicked: page.clearBle()
            }
        }

        ScrollForm {
            objectName: "simForm"
            anchors { top: sections.bottom; topMargin: 12; left: parent.left; right: parent.right; bottom: parent.bottom }
            visible: simRadio.checked

            SettingsMessage { objectName: "errTextSim"; saver: saver; message: page.errTextSim }
            LabeledComboBox {
                id: slotBlock
                Layout.fillWidth: true
                caption: "SIM Slot"
                model: ["1  (SIM1)", "2  (SIM2)"]
                box.objectName: "simSlotCombo"
                box.font.pixelSize: 16
                box.rowHeight: 28
                box.rowHighlight: "grey"
            }
            SettingField { id: sim1apnField; objectName: "sim1apnField"; caption: "Sim 1 APN"; key: "apnSim1"; placeholderText: "Enter SIM-1 APN" }
            SettingField { id: sim2apnField; objectName: "sim2apnField"; caption: "SIM 2 APN"; key: "apnSim2" }
            FormButtons {
                name: "sim"
                onSaveClicked: page.saveSim()
                onClearClicked: page.clearSim()
            }
        }
    }

    readonly property alias simSlotCombo: slotBlock.box

    component SettingField: LabeledField {
        id: entry
        property string key
        Layout.fillWidth: true
        field.font.pixelSize: 16
        Component.onCompleted: saver.track(entry, key)
    }

    BusyOverlay { visible: page.allSettingDevice }

    Component.onCompleted: saver.select(simSlotCombo, "simSlot")
    Component.onDestruction: {
        wifissidText = ""
        wifipassText = ""
        blenametext = ""
        blepintext = ""
        sim1apntext = ""
        sim2apntext = ""
    }
}
