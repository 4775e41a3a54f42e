import QtQuick
import QtQuick.Controls
import QtTest

// The backup page by clicks: a backup of the gateway, a change made on the
// gateway behind the tool's back, then the restore shows that one line and
// writes it only if it stays ticked.
TestCase {
    id: testCase
    name: "BackupPage"
    when: windowShown

    property var window

    function page() { return window.pageLoader.item }

    function named(name) {
        var item = findChild(page(), name) || findChild(window, name)
        verify(item, "no item named " + name)
        return item
    }

    function click(name) {
        var item = named(name)
        tryVerify(function() { return item.visible && item.enabled && item.width > 0 }, 5000,
                  name + " is not usable")
        waitForRendering(window.contentItem, 250)
        mouseClick(item)
    }

    function outcome() {
        tryCompare(named("outcomeDialog"), "opened", true, 10000)
        var text = named("outcomeDialog").message
        mouseClick(named("outcomeDialogPrimary"))
        tryCompare(named("outcomeDialog"), "opened", false)
        return text
    }

    function openBackupPage() {
        var address = gateway.start()
        verify(address.length > 0)
        var component = Qt.createComponent("qrc:/main.qml")
        compare(component.status, Component.Ready, component.errorString())
        window = createTemporaryObject(component, testCase)
        tryCompare(window.pageLoader, "source", "qrc:/ChooseDeviceIp.qml")
        mouseClick(named("modeTCP"))
        named("inputField").text = address
        click("connectButton")
        tryCompare(window, "ipSelected", true, 8000)
        waitForRendering(window.contentItem, 250)
        mouseClick(findChild(findChild(window, "sideMenu"), "menuEntry_Backup"))
        tryCompare(window.pageLoader, "source", "qrc:/Backup.qml", 5000)
        tryCompare(window.pageLoader, "status", Loader.Ready)
    }

    function cleanup() {
        tcpClient.disconnectFromDevice()
        gateway.stop()
    }

    function test_restoreWritesOnlyTheTickedLines_data() {
        return [
            { tag: "ticked: written and saved", untick: false, apn: "internet", saves: 1 },
            { tag: "unticked: nothing sent", untick: true, apn: "changed.apn", saves: 0 }
        ]
    }

    function test_restoreWritesOnlyTheTickedLines(data) {
        openBackupPage()
        var file = scratchFolder + "/page-" + data.untick + ".json"
        page().saveTo(file)
        verify(outcome().indexOf("written to") >= 0)

        gateway.setSetting("apnSim1", "changed.apn")
        page().openFrom(file)
        tryVerify(function() { return page().session.hasPlan }, 10000, "no difference shown")
        compare(page().session.planLines.length, 1)
        if (data.untick)
            click("planLine0")
        gateway.clearReceived()
        click("applyButton")
        var report = outcome()
        compare(gateway.setting("apnSim1"), data.apn)
        compare(gateway.saveCount(), data.saves)
        if (data.untick)
            compare(gateway.commands(), [])
        else
            compare(report, "Restored 1 change(s) and saved them to flash.")
    }
}
