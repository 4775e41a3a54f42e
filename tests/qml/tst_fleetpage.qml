import QtQuick
import QtTest

// The fleet page: the gateways known from direct visits and those of an
// inventory (a bad one refused), each action sent to the ticked gateways
// only, every row following its own gateway, driven by clicks and keys.
PageCase {
    name: "FleetPage"

    function row(i) { return named("gateway" + i) }
    function status(i) { return named("status" + i).text }

    function test_actionsReachTheTickedGatewaysOnly() {
        address = gateway.start()
        verify(cloud.join(deviceId), "gateway or tool not on the broker")
        tcpClient.saveDeviceId(deviceId) // as a direct visit leaves it
        openWindow()
        load("qrc:/Fleet.qml")
        compare(row(0).text, "mqtt://" + deviceId)

        var inventory = scratchFolder + "/inventory.csv"
        verify(gateway.writeFile(inventory, "gateway,name,site\ntcp://" + address + ",Pump hall,North\n"))
        page.openInventory(inventory)
        tryCompare(page.session, "tickedCount", 2)
        compare(row(1).text, "tcp://" + address + ":8881  Pump hall  (North)")

        // Space on the focused tick box leaves the known gateway out.
        row(0).forceActiveFocus()
        keyClick(Qt.Key_Space)
        compare(page.session.tickedCount, 1)
        gateway.clearReceived()
        page.backUpTo(scratchFolder + "/fleet")
        tryVerify(function() { return status(1) === "done" }, 10000, "backup not done")
        compare(status(0), "")
        compare(gateway.commands(), ["GETALL", "GET rs485list"])
        compare(cloud.cloudCommands(), [])

        // Restart goes to the known gateway, through the broker, once the
        // operator said yes; the LAN gateway is left out.
        click("gateway0")
        click("gateway1")
        click("restartButton")
        waitOpened("restartPopup")
        click("restartYes")
        tryVerify(function() { return status(0) === "done" }, 10000, "restart not done")
        compare(cloud.cloudCommands(), ["gateway:restart"])
        compare(status(1), "")
        verify(named("summary").text.indexOf("Restart: 1 of 1 gateway(s) finished: 1 done") === 0,
               named("summary").text)

        page.exportTo(scratchFolder + "/report.csv")
        tryVerify(function() { return named("errText").text.indexOf("Report written to") === 0 })
        compare(String(named("errText").color), String(Qt.color("white")))

        // A refused inventory changes nothing and says where it is wrong.
        verify(gateway.writeFile(scratchFolder + "/bad.csv", "gateway\ntcp://127.0.0.1\nhttp://x\n"))
        page.openInventory(scratchFolder + "/bad.csv")
        compare(page.session.rowCount(), 2)
        verify(named("errText").text.indexOf("line 3, column \"gateway\"") >= 0, named("errText").text)
    }
}
