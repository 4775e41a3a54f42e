import QtQuick
import QtQuick.Controls
import QtQuick.Dialogs
import QtQuick.Layouts
import Kestrelvane.Fleet
import "components"
import "components/Palette.js" as Palette

// Many gateways at once: those known from direct visits (reached through
// their broker) and those of an inventory file. Tick the gateways, then back
// them up into a folder, check them against a backup, apply a backup to
// them, or restart them; each row follows its gateway live.
Rectangle {
    id: page
    color: Palette.page

    readonly property alias session: session
    property string errText
    property bool errSuccess: false

    // The dialogs hand over URLs; tests call these directly.
    function openInventory(url) {
        errText = ""
        session.openInventory(url.toString())
    }
    function backUpTo(url) { errText = ""; session.backup(url.toString(), withPasswords.checked) }
    function checkAgainst(url) { errText = ""; session.check(url.toString()) }
    function applyFrom(url) { errText = ""; session.apply(url.toString()) }
    function exportTo(url) { session.exportReport(url.toString()) }

    function statusColour(status) {
        if (status === "done")
            return Palette.gradientBottom
        if (status === "differs")
            return Palette.accent
        if (status === "refused" || status === "no answer" || status === "link lost"
                || status === "failed" || status === "not done")
            return "#ff6b6b"
        return Palette.caption
    }

    FleetSession {
        id: session
        onMessage: function(ok, text) {
            page.errSuccess = ok
            page.errText = text
        }
    }

    FileDialog {
        id: inventoryDialog
        title: "Open Gateway Inventory"
        fileMode: FileDialog.OpenFile
        nameFilters: ["Gateway inventories (*.csv)", "All files (*)"]
        onAccepted: page.openInventory(selectedFile)
    }
    FolderDialog {
        id: backupFolderDialog
        title: "Back Up Into Folder"
        onAccepted: page.backUpTo(selectedFolder)
    }
    FileDialog {
        id: referenceDialog
        property bool applying: false
        title: applying ? "Apply Backup" : "Check Against Backup"
        fileMode: FileDialog.OpenFile
        nameFilters: ["Gateway backups (*.json)", "All files (*)"]
        onAccepted: applying ? page.applyFrom(selectedFile) : page.checkAgainst(selectedFile)
    }
    FileDialog {
        id: reportDialog
        title: "Export Fleet Report"
        fileMode: FileDialog.SaveFile
        defaultSuffix: "csv"
        nameFilters: ["Reports (*.csv)"]
        onAccepted: page.exportTo(selectedFile)
    }

    PageCard {
        anchors.fill: parent
        title: "Fleet"
        card.radius: 15

        ScrollForm {
            id: form
            anchors.fill: parent
            anchors.margins: 20

            MessageLine {
                objectName: "errText"
                Layout.fillWidth: true
                text: page.errText
                success: page.errSuccess
            }

            RowLayout {
                spacing: 12
                SecondaryButton {
                    objectName: "openInventoryButton"
                    text: "Open Inventory..."
                    implicitWidth: 170
                    enabled: !session.busy
                    onClicked: inventoryDialog.open()
                }
                SecondaryButton {
                    objectName: "tickAllButton"
                    text: session.tickedCount < listed.count ? "Tick All" : "Untick All"
                    enabled: !session.busy && listed.count > 0
                    onClicked: session.tickAll(session.tickedCount < listed.count)
                }
            }

            Text {
                Layout.fillWidth: true
                visible: listed.count === 0
                text: "No gateway yet: open an inventory (CSV, a \"gateway\" column of "
                      + "tcp://HOST[:PORT] or mqtt://DEVICE-ID), or visit a gateway in direct mode."
                color: Palette.caption
                font.family: qcksnd.name
                wrapMode: Text.WordWrap
            }

            Repeater {
                id: listed
                model: session
                delegate: RowLayout {
                    Layout.fillWidth: true
                    spacing: 12
                    DarkCheckBox {
                        objectName: "gateway" + index
                        Layout.fillWidth: true
                        text: model.address + (model.name.length > 0 ? "  " + model.name : "")
                              + (model.site.length > 0 ? "  (" + model.site + ")" : "")
                        checked: model.ticked
                        enabled: !session.busy
                        onToggled: session.setTicked(index, checked)
                    }
                    Text {
                        objectName: "status" + index
                        Layout.preferredWidth: 110
                        text: model.status
                        color: page.statusColour(model.status)
                        font.family: qcksnd.name
                        font.bold: model.finished
                        horizontalAlignment: Text.AlignRight
                        ToolTip.visible: statusHover.hovered && model.detail.length > 0
                        ToolTip.text: model.detail
                        HoverHandler { id: statusHover }
                    }
                }
            }

            DarkCheckBox {
                id: withPasswords
                objectName: "withPasswords"
                text: "Include passwords in backups (Wi-Fi, broker, Bluetooth PIN)"
                Layout.fillWidth: true
                Layout.topMargin: 8
            }

            Flow {
                Layout.fillWidth: true
                spacing: 12
                PrimaryButton {
                    objectName: "backUpButton"
                    text: "Back Up..."
                    enabled: !session.busy && session.tickedCount > 0
                    onClicked: backupFolderDialog.open()
                }
                PrimaryButton {
                    objectName: "checkButton"
                    text: "Check Against a File..."
                    implicitWidth: 210
                    enabled: !session.busy && session.tickedCount > 0
                    onClicked: { referenceDialog.applying = false; referenceDialog.open() }
                }
                PrimaryButton {
                    objectName: "applyButton"
                    text: "Apply a File..."
                    implicitWidth: 160
                    enabled: !session.busy && session.tickedCount > 0
                    onClicked: { referenceDialog.applying = true; referenceDialog.open() }
                }
                PrimaryButton {
                    objectName: "restartButton"
                    text: "Restart"
                    enabled: !session.busy && session.tickedCount > 0
                    onClicked: restartPopup.open()
                }
                SecondaryButton {
                    objectName: "stopButton"
                    text: "Stop"
                    visible: session.busy
                    onClicked: session.stop()
                }
                SecondaryButton {
                    objectName: "exportButton"
                    text: "Export report..."
                    implicitWidth: 160
                    enabled: !session.busy && session.summary.length > 0
                    onClicked: reportDialog.open()
                }
            }

            Text {
                objectName: "summary"
                Layout.fillWidth: true
                text: session.summary
                color: "white"
                font.family: qcksnd.name
                wrapMode: Text.WordWrap
            }
        }
    }

    ConfirmDialog {
        id: restartPopup
        objectName: "restartPopup"
        namePrefix: "restart"
        title: "Restart Gateways"
        message: "Restart the " + session.tickedCount + " ticked gateway(s)? Those reached "
                 + "through the broker restart; the others are not sent anything."
        onAccepted: session.restart()
    }

    Component.onCompleted: session.loadKnown()
}
