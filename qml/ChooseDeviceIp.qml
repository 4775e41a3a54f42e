import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import "components"
import "DeviceChoice.js" as DeviceChoice

// Chooses the mode and the gateway: an IPv4 address for a direct link, or a
// device identifier for cloud mode.
Rectangle {
    id: page
    color: "#243447"

    property bool mqttMode: false
    property bool validationAttempted: false
    property bool connecting: false
    property string connectionError: ""
    property int gatewayPort: 8881

    readonly property bool fieldEmpty: inputField.text.length === 0

    function switchMode(toMqtt) {
        mqttMode = toMqtt
        if (toMqtt) {
            tcpClient.clearnetworkLogFromMqtt()
            tcpClient.clearmterminalLogFromMqtt()
        }
        inputField.text = ""
        validationAttempted = false
        connectionError = ""
    }

    function connectPressed() {
        validationAttempted = true
        if (fieldEmpty)
            return
        if (mqttMode) {
            var id = DeviceChoice.cloudIdentifier(inputField.text)
            if (!DeviceChoice.isUsableDeviceId(id)) {
                connectionError = DeviceChoice.unusableIdMessage
                return
            }
            currentDeviceId = id
            if (!tcpClient.sendTopicDeviceId(currentDeviceId)) {
                showBrokerPopup("MQTT broker not configured.\n"
                                + "Connect to the device via TCP first to fetch its MQTT settings.")
                return
            }
            idSelected = true
            tcpClient.saveDeviceId(currentDeviceId)
            loaderr.source = "qrc:/AddNewMeterMqtt.qml"
            pagehead2 = "Devices - Add Device"
            return
        }
        if (!DeviceChoice.isValidIP(inputField.text))
            return
        currentdeviceIP = inputField.text
        connecting = true
        connectionError = ""
        connectTimeout.start()
        tcpClient.connectToDevice(currentdeviceIP, gatewayPort)
    }

    Component.onCompleted: {
        if (tcpClient.connected)
            tcpClient.disconnectFromDevice()
        tcpClient.clearnetworkLogFromMqtt()
        tcpClient.clearmterminalLogFromMqtt()
        tcpClient.clearTerminalLog()
        inputField.text = currentdeviceIP
        inputField.forceActiveFocus()
    }

    Connections {
        target: tcpClient
        function onConnectedChanged() {
            if (!page.connecting || !tcpClient.connected)
                return
            page.connecting = false
            connectTimeout.stop()
            ipSelected = true
            loaderr.source = "qrc:/NetworkPage.qml"
            pagehead = "Gateway - Network"
        }
        function onErrorOccurred(error) {
            if (!page.connecting)
                return
            page.connecting = false
            connectTimeout.stop()
            tcpClient.abortConnection()
            page.connectionError = error
        }
    }

    Timer {
        id: connectTimeout
        objectName: "connectTimeout"
        interval: 10000
        onTriggered: {
            if (!page.connecting || tcpClient.connected)
                return
            page.connecting = false
            tcpClient.abortConnection()
            if (page.connectionError.length === 0)
                page.connectionError = "Connection timed out. Could not reach " + currentdeviceIP
                        + " within 10 seconds."
        }
    }

    RowLayout {
        id: modeSelector
        anchors.bottom: loginBox.top
        anchors.bottomMargin: 18
        anchors.horizontalCenter: loginBox.horizontalCenter
        width: loginBox.width
        spacing: 30

        ButtonGroup { id: modeGroup }
        Repeater {
            model: ["TCP", "MQTT"]
            RadioButton {
                id: modeButton
                required property string modelData
                objectName: "mode" + modelData
                text: modelData
                checked: modelData === "TCP"
                ButtonGroup.group: modeGroup
                font.pixelSize: 25
                font.family: qcksnd.name
                onToggled: if (checked) page.switchMode(modelData === "MQTT")
                FocusRing { radius: 8 }
                contentItem: Text {
                    leftPadding: modeButton.indicator.width + modeButton.spacing
                    text: modeButton.text
                    font: modeButton.font
                    color: "white"
                    verticalAlignment: Text.AlignVCenter
                }
                indicator: Rectangle {
                    x: modeButton.leftPadding
                    y: (modeButton.height - height) / 2
                    width: 26; height: 26; radius: 13
                    color: "transparent"
                    border.color: "#6FE7E7"
                    border.width: 2
                    Rectangle {
                        anchors.centerIn: parent
                        width: 14; height: 14; radius: 7
                        color: "#6FE7E7"
                        visible: modeButton.checked
                    }
                }
            }
        }
    }

    // A faint second ring just outside the box.
    Rectangle {
        anchors.fill: loginBox
        anchors.margins: -4
        radius: loginBox.radius + 4
        color: "transparent"
        border.width: 2
        border.color: "#6FE7E7"
        opacity: 0.35
    }

    Rectangle {
        id: loginBox
        anchors.centerIn: parent
        width: Math.min(page.width * 0.45, 500)
        // The whole form, "Connect" included, as long as the page has room;
        // on a very small window it scrolls, with its scroll bar showing.
        height: Math.min(column.implicitHeight + 60,
                         page.height - 2 * (modeSelector.height + 18) - 16)
        color: "#2C3E50"
        radius: 18
        border.width: 2
        border.color: "#6FE7E7"

        ScrollForm {
            id: loginForm
            anchors.fill: parent
            anchors.topMargin: 30
            anchors.bottomMargin: 30
            interactive: contentHeight > height
            ScrollBar.vertical: ScrollBar { policy: loginForm.interactive ? ScrollBar.AlwaysOn
                                                                          : ScrollBar.AlwaysOff }
            onSubmitted: page.connectPressed()

            ColumnLayout {
                id: column
                Layout.preferredWidth: loginBox.width * 0.8
                Layout.maximumWidth: loginBox.width * 0.8
                Layout.alignment: Qt.AlignHCenter
                spacing: 18

                Text {
                    Layout.alignment: Qt.AlignHCenter
                    text: "Industrial 4G Gateway"
                    color: "white"
                    font.pixelSize: 24
                    font.bold: true
                    font.family: qcksnd.name
                }
                Text {
                    Layout.alignment: Qt.AlignHCenter
                    text: page.mqttMode ? "Select/Enter Device ID" : "Enter Device IP Address"
                    color: "#D6E4F0"
                    font.pixelSize: 18
                    font.family: qcksnd.name
                }
                Text {
                    visible: page.mqttMode
                    text: "Select from Saved Devices"
                    color: "#D6E4F0"
                    font.pixelSize: 14
                    font.family: qcksnd.name
                }
                DarkComboBox {
                    id: deviceCombo
                    objectName: "deviceCombo"
                    visible: page.mqttMode
                    Layout.fillWidth: true
                    Layout.preferredHeight: 54
                    model: tcpClient.deviceIds
                    // The list may change under it, which moves currentIndex:
                    // only the operator's pick shows an identifier.
                    property bool picked: false
                    displayText: picked ? currentText : "Select Device ID"
                    popup.implicitHeight: Math.min(popup.contentItem.implicitHeight, 360)
                    rowHeight: 30
                    rowHighlight: "grey"
                    onActivated: function(index) {
                        picked = true
                        inputField.text = textAt(index)
                        popup.close()
                    }
                }
                Rectangle {
                    visible: page.mqttMode
                    Layout.fillWidth: true
                    Layout.preferredHeight: 1
                    color: "#D6E4F0"
                }
                Text {
                    visible: page.mqttMode
                    text: "Enter New Device"
                    color: "#D6E4F0"
                    font.pixelSize: 14
                    font.family: qcksnd.name
                }
                TextField {
                    id: inputField
                    objectName: "inputField"
                    Layout.fillWidth: true
                    Layout.preferredHeight: 54
                    horizontalAlignment: TextInput.AlignHCenter
                    color: "white"
                    font.pixelSize: 20
                    font.family: qcksnd.name
                    placeholderText: page.mqttMode ? "Device ID" : "192.168.1.175"
                    placeholderTextColor: "#8090A0"
                    selectByMouse: true
                    // Typed or picked from the saved devices: any change
                    // makes an earlier refusal stale.
                    onTextChanged: page.connectionError = ""
                    background: Rectangle {
                        radius: 10
                        color: "#1E2A36"
                        border.width: 2
                        border.color: page.validationAttempted && page.fieldEmpty ? "#FF5555"
                                                                                   : "#6FB8C5"
                    }
                }
                Text {
                    objectName: "addressMessage"
                    Layout.fillWidth: true
                    visible: !page.mqttMode && page.validationAttempted && !page.fieldEmpty
                             && !DeviceChoice.isValidIP(inputField.text)
                    text: "Please enter a valid IP address"
                    color: "#FF7777"
                    font.pixelSize: 14
                    font.family: qcksnd.name
                    horizontalAlignment: Text.AlignHCenter
                }
                Text {
                    objectName: "connectionErrorText"
                    Layout.fillWidth: true
                    visible: page.connectionError.length > 0
                    text: page.connectionError
                    color: "#FF7777"
                    font.pixelSize: 14
                    font.family: qcksnd.name
                    horizontalAlignment: Text.AlignHCenter
                    wrapMode: Text.WordWrap
                    textFormat: Text.PlainText
                }
                PrimaryButton {
                    objectName: "connectButton"
                    Layout.alignment: Qt.AlignHCenter
                    Layout.preferredWidth: 180
                    Layout.preferredHeight: 50
                    radius: 25
                    fontSize: 18
                    text: "Connect"
                    onClicked: page.connectPressed()
                }
            }
        }
    }

    Rectangle {
        id: connectingOverlay
        objectName: "connectingOverlay"
        anchors.fill: parent
        color: "#A0000000"
        visible: page.connecting
        z: 100
        Column {
            anchors.centerIn: parent
            spacing: 20
            BusyIndicator {
                anchors.horizontalCenter: parent.horizontalCenter
                width: 90
                height: 90
                running: connectingOverlay.visible
            }
            Text {
                anchors.horizontalCenter: parent.horizontalCenter
                text: "Connecting to " + currentdeviceIP + " ..."
                color: "white"
                font.pixelSize: 16
                font.family: qcksnd.name
                textFormat: Text.PlainText
            }
        }
    }
}
