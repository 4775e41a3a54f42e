import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import "Palette.js" as Palette
import "../RegisterRequest.js" as RegisterRequest
import "../DeviceForm.js" as DeviceForm

// A cloud page that has the gateway write Modbus registers: the form, the
// request published on the gateway's sub topic, the wait for its answer with
// a 10 s guard, and the outcome dialogs. The single and the multiple
// register pages differ only in the value field and its check (`multiple`).
Rectangle {
    id: page
    color: Palette.page

    property alias title: card.title
    // The value field takes a list like "100,40,20" and sends `values`.
    property bool multiple: false
    property string valuePlaceholder: "Value"
    property string successMessage
    // The gateway whose sub topic the request goes to.
    property string deviceId

    // A request is under way.
    property bool addingDevice: false
    property string errText: ""
    property bool errIsSuccess: false
    readonly property alias writeTimeout: writeTimeout

    readonly property string emptyText: "Enter all values"
    readonly property string malformedText: "Values should be like: 100,40,20"
    readonly property string writtenText: "Parameters Written successfully"
    readonly property string failedText: "Failed to write parameters."

    function showMessage(text, success) {
        errText = text
        errIsSuccess = success
    }

    function write() {
        if (RegisterRequest.anyEmpty([slaveIdField.text, valField.text, addrrsField.text,
                                      funcCodeField.text])) {
            showMessage(emptyText, false)
            return
        }
        var fields = {
            port: portCombo.box.currentValue,
            slave: slaveIdField.text,
            fc: funcCodeField.text,
            addr: addrrsField.text,
            value: valField.text
        }
        var request
        if (multiple) {
            request = RegisterRequest.multipleRequest(fields)
            if (request === null) {
                showMessage(malformedText, false)
                return
            }
            showMessage("", false)
        } else {
            // The line keeps an earlier text until the outcome replaces it.
            request = RegisterRequest.singleRequest(fields)
        }
        tcpClient.sendSubRequest(request, deviceId)
        // A second write while waiting does not extend the guard.
        if (!writeTimeout.running)
            writeTimeout.start()
        addingDevice = true
    }

    function resetForm() {
        portCombo.currentIndex = 0
        slaveIdField.text = ""
        valField.text = ""
        addrrsField.text = ""
        funcCodeField.text = ""
        showMessage("", false)
    }

    function succeeded() {
        writeTimeout.stop()
        addingDevice = false
        showMessage(writtenText, true)
        successDialog.open()
    }

    function failed() {
        writeTimeout.stop()
        addingDevice = false
        showMessage(failedText, false)
        failureDialog.open()
    }

    Timer {
        id: writeTimeout
        objectName: "writeTimeout"
        interval: 10000
        onTriggered: page.failed()
    }

    Connections {
        target: tcpClient
        function onSendWriteReg(wrote) {
            if (wrote === "written")
                page.succeeded()
            else if (wrote === "failed")
                page.failed()
        }
    }

    PageCard {
        id: card
        anchors.fill: parent
        card.radius: 15

        ScrollForm {
            objectName: "registerForm"
            anchors.fill: parent

            // The page's own message first, else why the broker is out of reach.
            MessageLine {
                objectName: "errText"
                Layout.fillWidth: true
                text: page.errText || tcpClient.brokerError
                success: page.errIsSuccess && page.errText.length > 0
                font.pixelSize: 18
            }
            LabeledComboBox {
                id: portCombo
                objectName: "portCombo"
                Layout.fillWidth: true
                caption: "Port"
                textRole: "text"
                box.valueRole: "value"
                model: DeviceForm.portEntries
            }
            LabeledField {
                id: slaveIdField
                objectName: "slaveIdField"
                Layout.fillWidth: true
                caption: "Slave ID"
                placeholderText: "1"
            }
            LabeledField {
                id: funcCodeField
                objectName: "funcCodeField"
                Layout.fillWidth: true
                caption: "Function Code"
                placeholderText: "Function Code"
            }
            LabeledField {
                id: addrrsField
                objectName: "addrrsField"
                Layout.fillWidth: true
                caption: "Address"
                placeholderText: "Address"
            }
            LabeledField {
                id: valField
                objectName: "valField"
                Layout.fillWidth: true
                caption: "Value"
                placeholderText: page.valuePlaceholder
            }
            FormButtons {
                primaryButton.text: "Write"
                primaryButton.objectName: "writeButton"
                secondaryButton.objectName: "clearButton"
                onSaveClicked: page.write()
                onClearClicked: page.resetForm()
            }
        }
    }

    BusyOverlay { visible: page.addingDevice }

    ResultDialog {
        id: successDialog
        objectName: "addedSuccesspopup"
        success: true
        title: "Parameters Written"
        message: page.successMessage
        primaryText: "Done"
        secondaryText: "Close"
        onPrimaryClicked: { close(); page.resetForm() }
        onSecondaryClicked: { close(); page.resetForm() }
    }

    ResultDialog {
        id: failureDialog
        objectName: "failedpopup"
        success: false
        title: "Failure"
        message: page.failedText
        primaryText: "OK"
        secondaryText: "Close"
        onPrimaryClicked: { close(); page.resetForm() }
        onSecondaryClicked: { close(); page.resetForm() }
    }
}
