import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import "components"
import "components/Palette.js" as Palette

// Starts and stops the gateway's RS-485 data acquisition and restarts the
// gateway. Each action publishes one command and shows a small status box
// that waits at most 5 s for the gateway's confirmation.
Rectangle {
    id: page
    color: Palette.page

    property bool busyVisible: false
    property bool busyRunning: false
    property string busyMessage: ""
    property color busyColor: "#FFFFFF"
    readonly property alias timeoutTimer: timeoutTimer
    readonly property alias closeTimer: closeTimer

    readonly property var actions: ({
        start: { command: "config:rs485/start", waiting: "Starting..." },
        stop: { command: "config:rs485/stop", waiting: "Stopping..." },
        restart: { command: "gateway:restart", waiting: "Restarting..." }
    })
    // Any confirmation shows its own text, whichever action is waiting: the
    // gateway's word is what it actually did.
    readonly property var confirmations: ({
        started: { text: "✔ Data Started", color: "#4CAF50" },
        stopped: { text: "Data Stopped", color: "#F39C12" },
        restarting: { text: "Device Restarting", color: "#42A5F5" }
    })

    function run(name) {
        var action = actions[name]
        // A close delay left from an earlier outcome would hide this
        // action's box before its own outcome could be read.
        closeTimer.stop()
        busyVisible = true
        busyRunning = true
        busyMessage = action.waiting
        busyColor = "white"
        timeoutTimer.restart()
        tcpClient.sendConfigRequest(action.command, currentDeviceId)
    }

    function confirmed(status) {
        timeoutTimer.stop()
        busyRunning = false
        if (confirmations.hasOwnProperty(status)) {
            busyMessage = confirmations[status].text
            busyColor = confirmations[status].color
        }
        closeTimer.restart()
    }

    Timer {
        id: timeoutTimer
        interval: 5000
        onTriggered: {
            page.busyRunning = false
            page.busyMessage = "⚠ Try again later"
            page.busyColor = "#EF5350"
            closeTimer.restart()
        }
    }

    Timer {
        id: closeTimer
        interval: 2000
        onTriggered: page.busyVisible = false
    }

    Connections {
        target: tcpClient
        function onSendStrtStopStatus(sttts) { page.confirmed(sttts) }
    }

    Column {
        id: header
        anchors { top: parent.top; topMargin: 30; horizontalCenter: parent.horizontalCenter }
        spacing: 6
        Text {
            anchors.horizontalCenter: parent.horizontalCenter
            text: "Industrial 4G Gateway"
            color: "white"
            font.bold: true
            font.pixelSize: 28
            font.family: qcksnd.name
        }
        Text {
            anchors.horizontalCenter: parent.horizontalCenter
            text: "Gateway Management"
            color: "#AFC4D6"
            font.pixelSize: 18
            font.family: qcksnd.name
        }
        // Why the broker is out of reach, before an action is tried in vain.
        MessageLine {
            objectName: "errText"
            width: page.width * 0.8
            anchors.horizontalCenter: parent.horizontalCenter
            text: tcpClient.brokerError
        }
    }

    Row {
        anchors.centerIn: parent
        spacing: Math.max(16, page.width * 0.04)

        component PageAction: ActionCard {
            width: Math.min(page.width / 4, 320)
            height: Math.min(page.height * 0.42, 240)
        }

        PageAction {
            objectName: "startCard"
            icon: "▶"
            title: "START"
            subtitle: "Start"
            firstColor: "#2ECC71"
            secondColor: "#16A085"
            onClicked: page.run("start")
        }
        PageAction {
            objectName: "stopCard"
            icon: "■"
            title: "STOP"
            subtitle: "Stop"
            firstColor: "#F39C12"
            secondColor: "#D35400"
            onClicked: page.run("stop")
        }
        PageAction {
            objectName: "restartCard"
            icon: "↻"
            title: "RESTART"
            subtitle: "Restart gateway"
            firstColor: "#3498DB"
            secondColor: "#1F5FBF"
            onClicked: rebootPopup.open()
        }
    }

    // Dims the page while an action waits or its outcome is shown; it
    // catches no clicks.
    Rectangle {
        objectName: "statusOverlay"
        anchors.fill: parent
        color: "#80000000"
        visible: page.busyVisible
        z: 100

        Rectangle {
            objectName: "statusBox"
            anchors.centerIn: parent
            width: Math.max(260, statusColumn.implicitWidth + 48)
            height: statusColumn.implicitHeight + 40
            radius: 12
            color: "#2C3E50"
            border.color: "#6FE7E7"
            border.width: 2

            Column {
                id: statusColumn
                anchors.centerIn: parent
                spacing: 12
                BusyIndicator {
                    objectName: "statusIndicator"
                    anchors.horizontalCenter: parent.horizontalCenter
                    visible: page.busyRunning
                    running: page.busyRunning
                }
                Text {
                    objectName: "statusMessage"
                    anchors.horizontalCenter: parent.horizontalCenter
                    text: page.busyMessage
                    color: page.busyColor
                    font.bold: true
                    font.pixelSize: 18
                    font.family: qcksnd.name
                    textFormat: Text.PlainText
                }
            }
        }
    }

    ConfirmDialog {
        id: rebootPopup
        objectName: "rebootPopup"
        namePrefix: "reboot"
        title: "Restart Confirmation"
        message: "Are you sure you want to restart the device?"
        onAccepted: page.run("restart")
    }
}
