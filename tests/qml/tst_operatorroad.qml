import QtQuick
import QtQuick.Controls
import QtTest

// The operator's whole road by clicks: the simulated gateway is unknown to
// cloud mode until direct mode has read it; once it has, cloud mode selects
// it and adds, lists, changes and deletes a device, writes a register and
// restarts the gateway, all through the broker.
PageCase {
    name: "OperatorRoad"

    readonly property string roadId: "KV-0042"

    function menuEntry(menuName, label) {
        var entry = findChild(findChild(window, menuName), "menuEntry_" + label)
        verify(entry, "no menu entry " + label)
        waitForRendering(window.contentItem, 250)
        mouseClick(entry)
    }

    function waitForPage(url) {
        tryCompare(window.pageLoader, "source", url, 5000)
        tryCompare(window.pageLoader, "status", Loader.Ready)
        page = window.pageLoader.item
        waitForRendering(window.contentItem, 250)
    }

    function waitForCell(row, column, text) {
        tryVerify(function() {
            var cell = findChild(page, "cell_" + row + "_" + column)
            return cell && cell.text === text
        }, 8000, "cell " + row + "," + column + " never showed " + text)
    }

    function choose(mode, text) {
        click("mode" + mode)
        named("inputField").text = text
        click("connectButton")
    }

    function confirmDialog(name) {
        waitOpened(name, 8000)
        wait(100)
        mouseClick(named(name + "Primary"))
        tryCompare(named(name), "opened", false)
    }

    function test_directReadThenCloudChanges() {
        gateway.removeSettingsFile()
        address = gateway.start()
        verify(address.length > 0)
        compare(cloud.start(roadId, false), roadId)
        tryVerify(function() { return cloud.gatewayOnline() }, 8000, "gateway not on the broker")
        cloudMode = true
        openWindow()
        waitForPage("qrc:/ChooseDeviceIp.qml")

        // Cloud mode knows nothing of this gateway yet.
        choose("MQTT", roadId)
        waitOpened("brokerPopup")
        verify(!window.idSelected)
        named("brokerPopup").close()

        // Direct mode reads the gateway's settings, its broker among them.
        choose("TCP", address)
        tryCompare(window, "ipSelected", true, 8000)
        waitForPage("qrc:/NetworkPage.qml")
        tryVerify(function() { return tcpClient.deviceIds.indexOf(roadId) >= 0 }, 8000, "identifier not learned")

        // Cloud mode offers it in its list.
        menuEntry("sideMenu", "Choose Device")
        waitForPage("qrc:/ChooseDeviceIp.qml")
        verify(!window.ipSelected)
        click("modeMQTT")
        var combo = named("deviceCombo")
        combo.currentIndex = tcpClient.deviceIds.indexOf(roadId)
        combo.activated(combo.currentIndex)
        compare(named("inputField").text, roadId)
        click("connectButton")
        tryCompare(window, "idSelected", true)
        compare(window.currentDeviceId, roadId)
        waitForPage("qrc:/AddNewMeterMqtt.qml")
        compare(window.pagehead2, "Devices - Add Device")
        tryVerify(function() { return cloud.toolSubscribed(roadId) }, 8000, "tool not subscribed")

        // Add, then see it in the list.
        fill({ hexcommandField: "01 03 00 0A 00 02", secondsIdField: "10", nameIdField: "Road meter" })
        click("addDeviceButton")
        confirmDialog("addedSuccesspopup")
        waitForPage("qrc:/AvailableMeterMqtt.qml")
        waitForCell(2, 0, "Road meter")

        // Change its poll period, then delete it.
        click("editButton_2")
        named("secondsIdField").text = "20"
        click("saveChangesButton")
        confirmDialog("modifiedSuccesspopup")
        waitForCell(2, 3, "20s")
        click("deleteButton_2")
        waitOpened("deletePopup")
        named("deleteTextField").text = "DELETE"
        click("deleteConfirmButton")
        confirmDialog("deletesuccessPopup")
        tryCompare(named("totalChip"), "text", "Total : 2", 8000)
        compare(gateway.saveCount(), 3)

        // Write one register.
        menuEntry("sideMenuMqtt", "Single Register")
        waitForPage("qrc:/SingleRegister.qml")
        fill({ slaveIdField: "1", funcCodeField: "6", addrrsField: "100", valField: "1000" })
        click("writeButton")
        confirmDialog("addedSuccesspopup")
        compare(cloud.writeRequests(), ['{"addr":100,"fc":6,"key":"Kestrelvane","port":1,"slave":1,"value":1000}'])

        // Restart it.
        menuEntry("sideMenuMqtt", "Start/Stop")
        waitForPage("qrc:/StartOrStop.qml")
        click("restartCard")
        waitOpened("rebootPopup")
        wait(100)
        mouseClick(named("rebootYes"))
        tryCompare(named("statusMessage"), "text", "Device Restarting", 8000)

        compare(changes(), ["rs485add 1,1,10,0103000A0002,Road meter", "SAVE",
                            "rs485mod 2,1,1,20,0103000A0002,Road meter", "SAVE",
                            "rs485del 2", "SAVE", "gateway:restart"])
        // Nothing of cloud mode went over the direct link.
        compare(gateway.commands().filter(function(c) { return c !== "GETALL" }), [])
    }
}
