import QtQuick
import QtQuick.Controls
import QtQuick.Dialogs
import QtQuick.Layouts
import Kestrelvane.Backup
import "components"
import "components/Palette.js" as Palette
import "DirectLink.js" as DirectLink

// Backup, restore and clone of the gateway. Direct mode: its settings and
// RS-485 devices over the command port; cloud mode: its device list through
// the broker. A restore shows the difference first; each line can be
// unticked before anything is written.
Rectangle {
    id: page
    color: Palette.page

    readonly property bool cloudMode: idSelected
    readonly property int commandPort: 8881
    readonly property alias session: session
    property string errText
    property string report

    // The file dialogs hand over a URL; tests call these directly.
    function saveTo(url) {
        errText = ""
        report = ""
        session.saveBackup(url.toString(), withPasswords.checked)
    }
    function openFrom(url) {
        errText = ""
        report = ""
        session.openBackup(url.toString())
    }

    BackupSession {
        id: session
        bridge: tcpClient
        host: page.cloudMode ? "" : currentdeviceIP
        cloudDeviceId: page.cloudMode ? currentDeviceId : ""
        keepFileIdentity: keepIdentity.checked
        onFinished: function(status, message) {
            outcome.success = status === BackupSession.Done
            outcome.title = status === BackupSession.BadInput ? "Backup Refused"
                          : outcome.success ? "Done" : "Stopped"
            // A long report stays on the page; the dialog gives its first line.
            var lines = message.trim().split("\n")
            page.report = lines.length > 2 ? message : ""
            outcome.message = lines.length > 2 ? lines[0] + "\nThe full report is on the page."
                                               : message
            outcome.open()
        }
    }

    FileDialog {
        id: saveDialog
        title: "Save Gateway Backup"
        fileMode: FileDialog.SaveFile
        defaultSuffix: "json"
        nameFilters: ["Gateway backups (*.json)"]
        onAccepted: page.saveTo(selectedFile)
    }
    FileDialog {
        id: openDialog
        title: "Open Gateway Backup"
        fileMode: FileDialog.OpenFile
        nameFilters: ["Gateway backups (*.json)", "All files (*)"]
        onAccepted: page.openFrom(selectedFile)
    }

    PageCard {
        anchors.fill: parent
        title: "Backup and Restore"
        card.radius: 15

        ScrollForm {
            id: form
            anchors.fill: parent
            anchors.margins: 20

            MessageLine { Layout.fillWidth: true; text: page.errText }

            Caption { text: page.cloudMode ? "Back up the device list" : "Back up settings and devices" }
            DarkCheckBox {
                id: withPasswords
                objectName: "withPasswords"
                visible: !page.cloudMode
                text: "Include passwords (Wi-Fi, broker, Bluetooth PIN)"
                Layout.fillWidth: true
            }
            PrimaryButton {
                objectName: "saveBackupButton"
                text: "Save Backup..."
                enabled: !session.busy
                onClicked: saveDialog.open()
            }

            Caption { text: "Restore or clone from a backup"; Layout.topMargin: 12 }
            DarkCheckBox {
                id: keepIdentity
                objectName: "keepIdentity"
                visible: !page.cloudMode
                text: "Keep the file's topics and static IP (a replacement unit)"
                Layout.fillWidth: true
            }
            PrimaryButton {
                objectName: "openBackupButton"
                text: "Open Backup..."
                enabled: !session.busy
                onClicked: openDialog.open()
            }

            Text {
                Layout.fillWidth: true
                visible: session.hasPlan
                text: session.fileSummary + (session.planLines.length === 0
                      ? ": the gateway already matches it." : ". Untick what should stay as it is:")
                color: Palette.caption
                font.family: qcksnd.name
                wrapMode: Text.WordWrap
            }
            Repeater {
                model: session.hasPlan ? session.planLines : []
                delegate: DarkCheckBox {
                    objectName: "planLine" + index
                    Layout.fillWidth: true
                    text: modelData.text + (modelData.note.length > 0 ? "  (" + modelData.note + ")" : "")
                    checked: modelData.ticked
                    enabled: !session.busy
                    onToggled: session.setTicked(index, checked)
                }
            }
            RowLayout {
                visible: session.hasPlan
                Layout.alignment: Qt.AlignRight
                spacing: 12
                PrimaryButton {
                    objectName: "applyButton"
                    text: "Apply"
                    enabled: !session.busy && session.planLines.length > 0
                    onClicked: session.apply()
                }
                SecondaryButton {
                    objectName: "discardButton"
                    text: "Discard"
                    enabled: !session.busy
                    onClicked: session.dismissPlan("Nothing was written.")
                }
            }

            Text {
                objectName: "reportText"
                Layout.fillWidth: true
                visible: page.report.length > 0
                text: page.report
                color: Palette.caption
                font.pixelSize: 13
                font.family: qcksnd.name
                wrapMode: Text.Wrap
                textFormat: Text.PlainText
            }

            ProgressBar {
                objectName: "progress"
                Layout.fillWidth: true
                visible: session.busy
                indeterminate: session.stepCount === 0
                from: 0
                to: Math.max(1, session.stepCount)
                value: session.stepIndex + 1
            }
            Text {
                objectName: "stepText"
                Layout.fillWidth: true
                visible: session.busy
                text: session.stepText
                color: "white"
                font.family: qcksnd.name
                elide: Text.ElideRight
            }
        }
    }

    component Caption: Text {
        Layout.fillWidth: true
        color: Palette.accent
        font.bold: true
        font.pixelSize: 16
        font.family: qcksnd.name
    }

    BusyOverlay { visible: session.busy }

    ResultDialog {
        id: outcome
        objectName: "outcomeDialog"
        height: Math.max(280, implicitHeight)
        width: 460
        secondaryText: ""
        onPrimaryClicked: close()
    }

    Component.onCompleted: {
        if (!cloudMode)
            DirectLink.ensure(tcpClient, currentdeviceIP, commandPort)
    }
    Component.onDestruction: {
        if (!cloudMode)
            DirectLink.release(tcpClient, commandPort)
    }
}
