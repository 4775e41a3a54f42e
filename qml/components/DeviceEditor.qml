import QtQuick
import QtQuick.Layouts
import "../DeviceForm.js" as DeviceForm

// The RS-485 device form of the add and the edit page: the message line, the
// port and CRC choices, the command, poll and name fields and two buttons.
// It reads and checks what was typed; the page decides what to send.
ScrollForm {
    id: editor

    property alias hexPlaceholder: hexcommandField.placeholderText
    // The add form only lets characters of an unsigned decimal be typed.
    property bool restrictSeconds: false
    property alias primaryButton: buttons.primaryButton
    property alias secondaryButton: buttons.secondaryButton
    property string message
    // Shown while the form has no message of its own (the broker's failure
    // on a cloud page, say).
    property string notice
    signal primaryClicked()
    signal secondaryClicked()

    function showError(text) {
        errText.success = false
        message = text
    }

    function showSuccess(text) {
        errText.success = true
        message = text
    }

    // The form opened from the keyboard starts at its first choice.
    function focusFirst() {
        portCombo.box.forceActiveFocus(Qt.TabFocusReason)
    }

    function clear() {
        errText.text = ""
        hexcommandField.text = ""
        secondsIdField.text = ""
        nameIdField.text = ""
        portCombo.currentIndex = 0
        crcCode.currentIndex = 0
    }

    // Shows a device record as the gateway reported it. The message line
    // keeps what it showed.
    function load(record) {
        hexcommandField.text = String(record.cmdHex)
        crcCode.currentIndex = DeviceForm.indexOfValue(DeviceForm.crcEntries, Number(record.autoCRC))
        portCombo.currentIndex = DeviceForm.indexOfValue(DeviceForm.portEntries,
                                                         DeviceForm.portNumber(record.port))
        secondsIdField.text = DeviceForm.secondsFromPoll(record.poll)
        nameIdField.text = String(record.name)
    }

    // The checked values with the chosen port and CRC flag, or { error }.
    function values() {
        var checked = DeviceForm.check(hexcommandField.text, secondsIdField.text, nameIdField.text)
        if (checked.error)
            return checked
        if (portCombo.currentIndex < 0 || crcCode.currentIndex < 0)
            return { error: DeviceForm.noChoice }
        checked.port = DeviceForm.portEntries[portCombo.currentIndex].value
        checked.crc = DeviceForm.crcEntries[crcCode.currentIndex].value
        return checked
    }

    MessageLine {
        id: errText
        objectName: "errText"
        Layout.fillWidth: true
        text: editor.message || editor.notice
        color: success && editor.message.length > 0 ? "white" : "red"
    }
    LabeledComboBox {
        id: portCombo
        objectName: "portCombo"
        Layout.fillWidth: true
        caption: "Port"
        textRole: "text"
        model: DeviceForm.portEntries
    }
    LabeledComboBox {
        id: crcCode
        objectName: "crcCode"
        Layout.fillWidth: true
        caption: "CRC (Auto/Manual)"
        textRole: "text"
        model: DeviceForm.crcEntries
    }
    LabeledField {
        id: hexcommandField
        objectName: "hexcommandField"
        Layout.fillWidth: true
        caption: "Hex Command"
    }
    LabeledField {
        id: secondsIdField
        objectName: "secondsIdField"
        Layout.fillWidth: true
        caption: "Seconds"
        placeholderText: "seconds"
        // Only limits typing; values() decides.
        validator: editor.restrictSeconds ? decimalOnly : null
        RegularExpressionValidator {
            id: decimalOnly
            regularExpression: DeviceForm.secondsPattern
        }
    }
    LabeledField {
        id: nameIdField
        objectName: "nameIdField"
        Layout.fillWidth: true
        caption: "Name"
        placeholderText: "Device name"
    }
    FormButtons {
        id: buttons
        onSaveClicked: editor.primaryClicked()
        onClearClicked: editor.secondaryClicked()
    }
}
