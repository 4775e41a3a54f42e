import QtQuick
import QtQuick.Controls
import QtTest

// The operator's whole road by clicks: the simulated gateway is unknown to
// cloud mode until direct mode has read it; once it has, cloud mode selects
// it from its list and adds a device through the broker. (Each page's own
// changes are checked in the pages' suites.)
PageCase {
    name: "OperatorRoad"

    readonly property string roadId: "KV-0042"

    function waitForPage(url) {
        tryCompare(window.pageLoader, "source", url, 5000)
        tryCompare(window.pageLoader, "status", Loader.Ready)
        page = window.pageLoader.item
        waitForRendering(window.contentItem, 250)
    }

    function choose(mode, text) {
        click("mode" + mode)
        named("inputField").text = text
        click("connectButton")
    }

    function test_directReadThenCloudChanges() {
        gateway.removeSettingsFile()
        address = gateway.start()
        verify(cloud.join(roadId, false))
        cloudMode = true
        openChoice()

        // Cloud mode knows nothing of this gateway yet.
        choose("MQTT", roadId)
        waitOpened("brokerPopup").close()
        verify(!window.idSelected)

        // Direct mode reads the gateway's settings, its broker among them.
        choose("TCP", address)
        waitForPage("qrc:/NetworkPage.qml")
        tryVerify(function() { return tcpClient.deviceIds.indexOf(roadId) >= 0 }, 8000, "identifier not learned")

        // Cloud mode offers it in its list.
        mouseClick(findChild(findChild(window, "sideMenu"), "menuEntry_Choose Device"))
        waitForPage("qrc:/ChooseDeviceIp.qml")
        click("modeMQTT")
        var combo = named("deviceCombo")
        combo.currentIndex = tcpClient.deviceIds.indexOf(roadId)
        combo.activated(combo.currentIndex)
        compare(named("inputField").text, roadId)
        click("connectButton")
        waitForPage("qrc:/AddNewMeterMqtt.qml")
        compare([window.idSelected, window.currentDeviceId], [true, roadId])
        tryCompare(tcpClient, "connectedmqtt", true, 8000)

        // Add, then see it in the list.
        fill({ hexcommandField: "01 03 00 0A 00 02", secondsIdField: "10", nameIdField: "Road meter" })
        click("addDeviceButton")
        waitOpened("addedSuccesspopup", 8000)
        wait(100)
        click("addedSuccesspopupPrimary")
        waitForPage("qrc:/AvailableMeterMqtt.qml")
        compare(window.pagehead2, "Devices - Device List")
        tryVerify(function() { var cell = findChild(page, "cell_2_0"); return cell && cell.text === "Road meter" }, 8000)
        compare(changes(), ["rs485add 1,1,10,0103000A0002,Road meter", "SAVE"])
        // Nothing of cloud mode went over the direct link.
        compare(gateway.commands().filter(function(c) { return c !== "GETALL" }), [])
    }
}
