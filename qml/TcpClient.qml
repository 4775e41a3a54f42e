import QtQuick
import QtQuick.Layouts
import "components"

// A bare TCP console: connect the direct link to any address and port, send
// lines, and watch the general log. The link stays as the operator leaves it.
Item {
    id: page

    property bool showCommandView: false

    // The port field shows the link's port while it stands and is empty
    // otherwise; it is set on each change so that the operator can still
    // type a port to connect to.
    function showPort() {
        portField.text = tcpClient.connected ? String(tcpClient.currentPort) : ""
    }

    Component.onCompleted: showPort()

    Connections {
        target: tcpClient
        function onConnectedChanged() { page.showPort() }
        function onCurrentPortChanged() { page.showPort() }
    }

    TerminalFrame {
        anchors.fill: parent
        logLines: tcpClient.logLines

        // View 1: the connection.
        ColumnLayout {
            visible: !page.showCommandView
            Layout.fillWidth: true
            spacing: 12

            TerminalTitle {
                objectName: "connectionViewTitle"
                text: "TCP Connection"
            }
            TerminalField {
                id: ipField
                objectName: "ipField"
                Layout.fillWidth: true
                caption: "Device IP Address"
                placeholderText: "e.g. 192.168.1.175"
                text: "192.168.1.175"
            }
            TerminalField {
                id: portField
                objectName: "portField"
                Layout.fillWidth: true
                caption: "TCP Port"
                placeholderText: "e.g. 8880"
            }
            TerminalButton {
                objectName: "connectButton"
                Layout.fillWidth: true
                text: tcpClient.connected ? "Disconnect" : "Connect to Gateway"
                onClicked: {
                    if (tcpClient.connected)
                        tcpClient.disconnectFromDevice()
                    else
                        tcpClient.connectToDevice(ipField.text, parseInt(portField.text, 10))
                }
            }
            TerminalButton {
                objectName: "sendCommandButton"
                Layout.fillWidth: true
                text: "Send Command"
                visible: tcpClient.connected
                onClicked: page.showCommandView = true
            }
        }

        // View 2: command lines over the link.
        ColumnLayout {
            visible: page.showCommandView
            Layout.fillWidth: true
            spacing: 12

            TerminalTitle {
                objectName: "commandViewTitle"
                text: "Send to TCP"
            }
            TerminalField {
                id: commandField
                objectName: "commandField"
                Layout.fillWidth: true
                caption: "Send"
                placeholderText: "Enter command"
            }
            TerminalButton {
                objectName: "sendButton"
                Layout.fillWidth: true
                text: "Send"
                onClicked: {
                    tcpClient.sendCommand(commandField.text)
                    commandField.text = ""
                }
            }
            TerminalButton {
                objectName: "backButton"
                Layout.fillWidth: true
                text: "Back"
                onClicked: page.showCommandView = false
            }
        }
    }
}
