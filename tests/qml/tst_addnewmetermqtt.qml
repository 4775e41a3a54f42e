import QtQuick
import QtTest
import "qrc:/DeviceForm.js" as DeviceForm

// The cloud add-device page: the form's checks, the "rs485add" and "SAVE"
// chain through the broker, and what the result dialog leads to.
CloudCommandCase {
    name: "AddNewMeterMqtt"
    freshGateway: true

    function openForm() {
        openPage("qrc:/AddNewMeterMqtt.qml", "Devices - Add Device")
    }

    function fill(portIndex, crcIndex, hex, seconds, deviceName) {
        named("portCombo").currentIndex = portIndex
        named("crcCode").currentIndex = crcIndex
        named("hexcommandField").text = hex
        named("secondsIdField").text = seconds
        named("nameIdField").text = deviceName
    }

    function test_opensWithDefaultsAndSendsNothing() {
        openForm()
        compare(named("portCombo").currentText, "Port 1")
        compare(named("crcCode").currentText, "1 (Auto CRC)")
        compare(named("hexcommandField").field.placeholderText, "e.g. 02 03 00 00 00 67")
        wait(1500)
        compare(cloud.messages(configTopic), [])
        verify(!tcpClient.connected)
    }

    function test_additionIsSavedBeforeItIsReported() {
        openForm()
        fill(1, 1, "02 03 00 00 00 67", "5.5", "Meter A")
        click("addDeviceButton")
        verify(page.addingDevice)
        verify(named("busyOverlay").visible)
        var popup = waitOpened("addedSuccesspopup")
        compare(changeCommands(), ["rs485add 2,0,5.5,020300000067,Meter A", "SAVE"])
        compare(gateway.deviceCount(), 3)
        compare(gateway.saveCount(), 1)
        verify(!page.addingDevice)
        compare(named("errText").text, "Device Added successfully")
        compare(String(named("errText").color), "#ffffff")
        compare(popup.message, "\"Meter A\" has been added successfully.")
        cloud.clearReceived()
        click("addedSuccesspopupPrimary")
        tryCompare(window, "pagehead2", "Devices - Device List")
        tryCompare(window.pageLoader, "source", "qrc:/AvailableMeterMqtt.qml")
        compare(seenOn(configTopic, 1), ["GET rs485list"])
        page = window.pageLoader.item
        tryCompare(named("totalChip"), "text", "Total : 3", 5000)
    }

    // The form's rules are the direct page's and are tested there in full.
    function test_refusesBadInput_data() {
        return [
            { tag: "letter beyond F", hex: "01 0G", seconds: "10", name: "n",
              message: DeviceForm.badHex },
        ]
    }

    function test_refusesBadInput(data) {
        openForm()
        fill(0, 0, data.hex, data.seconds, data.name)
        click("addDeviceButton")
        compare(named("errText").text, data.message)
        verify(!page.addingDevice)
        wait(300)
        compare(cloud.messages(configTopic), [])
    }

    function test_closeKeepsTheFormForTheNextDevice() {
        openForm()
        fill(0, 0, "0103", "300", "Edge")
        click("addDeviceButton")
        var popup = waitOpened("addedSuccesspopup")
        compare(changeCommands(), ["rs485add 1,1,300,0103,Edge", "SAVE"])
        click("addedSuccesspopupSecondary")
        tryCompare(popup, "visible", false)
        compare(named("errText").text, "")
        compare([named("hexcommandField").text, named("secondsIdField").text,
                 named("nameIdField").text], ["0103", "300", "Edge"])
        compare(window.pageLoader.source, "qrc:/AddNewMeterMqtt.qml")
    }

    // A confirmation that belongs to no addition of this page's own.
    function test_strayConfirmationIsIgnored() {
        openForm()
        cloud.publish(responseTopic, "OK: saved to flash")
        wait(500)
        verify(!named("addedSuccesspopup").visible)
        compare(named("errText").text, "")
    }

    function test_refusedSaveIsNotReportedAsAdded() {
        openForm()
        gateway.setRefuseSave(true)
        page.operation.guardInterval = 800
        fill(0, 0, "0103", "10", "Never saved")
        click("addDeviceButton")
        var failure = waitOpened("failurePopup")
        compare(failure.message, "The gateway did not confirm the change.")
        compare(failure.title, "Device Not Added")
        compare(named("errText").text, "Device not added")
        verify(!named("addedSuccesspopup").visible)
        verify(!page.addingDevice)
    }

    function test_brokerDownSendsNothingAndSaysSo() {
        openForm()
        cloud.stopBroker()
        tryCompare(tcpClient, "connectedmqtt", false, 5000)
        fill(0, 0, "0103", "10", "Offline")
        click("addDeviceButton")
        var failure = waitOpened("failurePopup", 1000)
        compare(failure.message, "Not connected to the broker; nothing was sent.")
        verify(!page.addingDevice)
        verify(cloud.restartBroker())
        tryCompare(tcpClient, "connectedmqtt", true, 8000)
        compare(cloud.gatewayCommands(), [])
    }

    function test_clearResetsTheForm() {
        openForm()
        fill(1, 1, "0103", "10", "x")
        click("addDeviceButton")
        waitOpened("addedSuccesspopup")
        click("addedSuccesspopupSecondary")
        click("clearButton")
        compare([named("portCombo").currentIndex, named("crcCode").currentIndex], [0, 0])
        compare([named("hexcommandField").text, named("secondsIdField").text,
                 named("nameIdField").text, named("errText").text], ["", "", "", ""])
    }
}
