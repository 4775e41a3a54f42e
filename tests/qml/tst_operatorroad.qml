import QtQuick
import QtQuick.Controls
import QtTest

// The operator's whole road, as far as possible by clicks: the simulated
// gateway is unknown to cloud mode until direct mode has read it; once it
// has, cloud mode selects it and adds, lists, changes and deletes a device,
// writes a register and restarts the gateway, all through the broker.
TestCase {
    id: testCase
    name: "OperatorRoad"
    when: windowShown

    readonly property string deviceId: "KV-0042"
    property var window

    function page() { return window.pageLoader.item }

    // Popups are found through the window, list rows through the page.
    function named(name) {
        var item = findChild(page(), name) || findChild(window, name)
        verify(item, "no item named " + name)
        return item
    }

    function click(name) {
        var item = named(name)
        tryVerify(function() { return item.visible && item.width > 0 }, 3000, name + " is not shown")
        waitForRendering(window.contentItem, 250)
        mouseClick(item)
    }

    function menuEntry(menuName, label) {
        var entry = findChild(findChild(window, menuName), "menuEntry_" + label)
        verify(entry, "no menu entry " + label)
        waitForRendering(window.contentItem, 250)
        mouseClick(entry)
    }

    function waitForPage(url) {
        tryCompare(window.pageLoader, "source", url, 5000)
        tryCompare(window.pageLoader, "status", Loader.Ready)
        waitForRendering(window.contentItem, 250)
    }

    function waitForCell(row, column, text) {
        tryVerify(function() {
            var cell = findChild(page(), "cell_" + row + "_" + column)
            return cell && cell.text === text
        }, 8000, "cell " + row + "," + column + " never showed " + text)
    }

    function choose(mode, text) {
        mouseClick(named("mode" + mode))
        named("inputField").text = text
        click("connectButton")
    }

    function confirmDialog(name) {
        tryCompare(named(name), "opened", true, 8000)
        wait(100)
        mouseClick(named(name + "Primary"))
        tryCompare(named(name), "opened", false)
    }

    function changeCommands() {
        return cloud.gatewayCommands().filter(function(c) { return c !== "GET rs485list" })
    }

    function cleanup() {
        tcpClient.disconnectFromDevice()
        gateway.stop()
    }

    function test_directReadThenCloudChanges() {
        gateway.removeSettingsFile()
        var address = gateway.start()
        verify(address.length > 0)
        compare(cloud.start(deviceId, false), deviceId)
        tryVerify(function() { return cloud.gatewayOnline() }, 8000, "gateway not on the broker")

        var component = Qt.createComponent("qrc:/main.qml")
        compare(component.status, Component.Ready, component.errorString())
        window = createTemporaryObject(component, testCase)
        waitForPage("qrc:/ChooseDeviceIp.qml")

        // Cloud mode knows nothing of this gateway yet.
        choose("MQTT", deviceId)
        tryCompare(named("brokerPopup"), "opened", true)
        verify(!window.idSelected)
        named("brokerPopup").close()

        // Direct mode reads the gateway's settings, its broker among them.
        choose("TCP", address)
        tryCompare(window, "ipSelected", true, 8000)
        waitForPage("qrc:/NetworkPage.qml")
        tryVerify(function() { return tcpClient.deviceIds.indexOf(deviceId) >= 0 }, 8000,
                  "the gateway's identifier was not learned")

        menuEntry("sideMenu", "Choose Device")
        waitForPage("qrc:/ChooseDeviceIp.qml")
        verify(!window.ipSelected)
        choose("MQTT", deviceId)
        tryCompare(window, "idSelected", true)
        waitForPage("qrc:/AddNewMeterMqtt.qml")
        compare(window.pagehead2, "Devices - Add Device")
        tryVerify(function() { return cloud.toolSubscribed(deviceId) }, 8000,
                  "the tool did not subscribe to the gateway's topics")

        // Add, then see it in the list.
        named("hexcommandField").text = "01 03 00 0A 00 02"
        named("secondsIdField").text = "10"
        named("nameIdField").text = "Road meter"
        click("addDeviceButton")
        confirmDialog("addedSuccesspopup")
        waitForPage("qrc:/AvailableMeterMqtt.qml")
        tryCompare(named("totalChip"), "text", "Total : 3", 8000)
        waitForCell(2, 0, "Road meter")

        // Change its poll period.
        click("editButton_2")
        named("secondsIdField").text = "20"
        click("saveChangesButton")
        confirmDialog("modifiedSuccesspopup")
        waitForCell(2, 3, "20s")

        // Delete it.
        click("deleteButton_2")
        tryCompare(named("deletePopup"), "opened", true)
        named("deleteTextField").text = "DELETE"
        click("deleteConfirmButton")
        confirmDialog("deletesuccessPopup")
        tryCompare(named("totalChip"), "text", "Total : 2", 8000)
        compare(gateway.deviceCount(), 2)
        compare(gateway.saveCount(), 3)

        // Write one register.
        menuEntry("sideMenuMqtt", "Single Register")
        waitForPage("qrc:/SingleRegister.qml")
        named("slaveIdField").text = "1"
        named("funcCodeField").text = "6"
        named("addrrsField").text = "100"
        named("valField").text = "1000"
        click("writeButton")
        tryCompare(named("errText"), "text", "Parameters Written successfully", 12000)
        confirmDialog("addedSuccesspopup")
        compare(cloud.writeRequests(),
                ['{"addr":100,"fc":6,"key":"Kestrelvane","port":1,"slave":1,"value":1000}'])

        // Restart it.
        menuEntry("sideMenuMqtt", "Start/Stop")
        waitForPage("qrc:/StartOrStop.qml")
        click("restartCard")
        tryCompare(named("rebootPopup"), "opened", true)
        wait(100)
        mouseClick(named("rebootYes"))
        tryCompare(named("statusMessage"), "text", "Device Restarting", 8000)

        compare(changeCommands(), ["rs485add 1,1,10,0103000A0002,Road meter", "SAVE",
                                   "rs485mod 2,1,1,20,0103000A0002,Road meter", "SAVE",
                                   "rs485del 2", "SAVE", "gateway:restart"])
        // Nothing of cloud mode went over the direct link.
        compare(gateway.commands().filter(function(c) { return c !== "GETALL" }), [])
    }
}
