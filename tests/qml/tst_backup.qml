import QtQuick
import QtTest

// The backup page: after a change behind the tool's back, the restore shows
// that one line, and an unticked line is not written. (Restores that write are
// checked against two simulated gateways in the backend's own tests.)
PageCase {
    name: "BackupPage"

    function outcome() {
        var dialog = waitOpened("outcomeDialog", 10000)
        var text = dialog.message
        click("outcomeDialogPrimary")
        tryCompare(dialog, "opened", false)
        return text
    }

    function test_untickedLineIsNotWritten() {
        openDirect("qrc:/Backup.qml")
        var file = scratchFolder + "/page.json"
        page.saveTo(file)
        verify(outcome().indexOf("written to") >= 0)
        gateway.setSetting("apnSim1", "changed.apn")
        page.openFrom(file)
        tryVerify(function() { return page.session.hasPlan }, 10000, "no difference shown")
        compare(page.session.planLines.length, 1)
        click("planLine0")
        gateway.clearReceived()
        click("applyButton")
        outcome()
        compare(gateway.commands(), [])
    }
}
