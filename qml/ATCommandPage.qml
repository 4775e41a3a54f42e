import QtQuick
import QtQuick.Layouts
import "components"
import "DirectLink.js" as DirectLink

// A terminal for the gateway's modem: free AT command lines, and the modem's
// MQTT session driven step by step from the settings the gateway reported.
// The page holds the direct link on the AT console while it is shown.
Item {
    id: page

    property bool showCommandView: false
    readonly property int port: 23

    Component.onCompleted: DirectLink.ensure(tcpClient, currentdeviceIP, port)
    Component.onDestruction: DirectLink.release(tcpClient, port)

    TerminalFrame {
        anchors.fill: parent
        logLines: tcpClient.atLogLines

        // View 1: free command lines to the console.
        ColumnLayout {
            visible: !page.showCommandView
            Layout.fillWidth: true
            spacing: 12

            TerminalTitle {
                objectName: "tcpViewTitle"
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
                onClicked: tcpClient.sendCommand(commandField.text)
            }
            TerminalButton {
                objectName: "clearLogButton"
                Layout.fillWidth: true
                text: "Clear Log"
                onClicked: tcpClient.clearatCmdLog()
            }
            TerminalButton {
                objectName: "disconnectButton"
                Layout.fillWidth: true
                text: "Disconnect"
                available: tcpClient.connected
                onClicked: tcpClient.disconnectFromDevice()
            }
            TerminalButton {
                objectName: "reconnectButton"
                Layout.fillWidth: true
                text: "Reconnect"
                // Back to the console of the gateway this page was opened
                // for, not to some other address.
                onClicked: {
                    tcpClient.disconnectFromDevice()
                    tcpClient.connectToDevice(currentdeviceIP, page.port)
                }
            }
            TerminalButton {
                objectName: "sendToCloudButton"
                Layout.fillWidth: true
                text: "Send to Cloud"
                visible: tcpClient.connected
                onClicked: page.showCommandView = true
            }
        }

        // View 2: the modem's MQTT session.
        ColumnLayout {
            visible: page.showCommandView
            Layout.fillWidth: true
            spacing: 12

            TerminalTitle {
                objectName: "cloudViewTitle"
                text: "Send to Cloud"
            }
            TerminalField {
                id: inTopic
                objectName: "inTopic"
                Layout.fillWidth: true
                caption: "Send"
                placeholderText: "Enter message to cloud"
            }
            GridLayout {
                Layout.fillWidth: true
                columns: 2
                columnSpacing: 10
                rowSpacing: 10

                TerminalButton {
                    objectName: "openButton"
                    Layout.fillWidth: true
                    text: "Open"
                    onClicked: tcpClient.openMqtt()
                }
                TerminalButton {
                    objectName: "connectButton"
                    Layout.fillWidth: true
                    text: "Connect"
                    available: tcpClient.connected
                    onClicked: tcpClient.connectMqtt()
                }
                TerminalButton {
                    objectName: "subscribeReceiveButton"
                    Layout.fillWidth: true
                    text: "Receive from Topic"
                    onClicked: tcpClient.subscribeReceive()
                }
                TerminalButton {
                    objectName: "unsubscribeReceiveButton"
                    Layout.fillWidth: true
                    text: "Unsubscribe OutTopic"
                    onClicked: tcpClient.unsubscribeReceive()
                }
                TerminalButton {
                    objectName: "subscribeCommandButton"
                    Layout.fillWidth: true
                    text: "Subscribe to InTopic"
                    onClicked: tcpClient.subscribeCommand()
                }
                TerminalButton {
                    objectName: "publishButton"
                    Layout.fillWidth: true
                    text: "Publish"
                    onClicked: tcpClient.publishtoComtopic()
                }
                TerminalButton {
                    objectName: "sendToTopicButton"
                    Layout.fillWidth: true
                    text: "Send to Topic"
                    onClicked: tcpClient.sendTestMessage(inTopic.text)
                }
                TerminalButton {
                    objectName: "unsubscribeCommandButton"
                    Layout.fillWidth: true
                    text: "Unsubscribe In Topic"
                    onClicked: tcpClient.unsubscribeCommand()
                }
                TerminalButton {
                    objectName: "disconnectCloudButton"
                    Layout.fillWidth: true
                    text: "Disconnect Cloud"
                    onClicked: tcpClient.disconnectMqtt()
                }
                TerminalButton {
                    objectName: "closeMqttButton"
                    Layout.fillWidth: true
                    text: "Close MQTT"
                    onClicked: tcpClient.closeMqtt()
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
