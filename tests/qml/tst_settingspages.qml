import QtQuick
import QtTest

// The four gateway settings pages: their own link and first reading, what
// they refuse, and their saves paced by a timer or by acknowledgements.
PageCase {
    name: "SettingsPages"

    readonly property string network: "qrc:/NetworkPage.qml"
    readonly property string cloudPage: "qrc:/MqttConfigPage.qml"
    readonly property string allSettings: "qrc:/AllSettings.qml"
    readonly property string baudrate: "qrc:/SetBaudrate.qml"
    // Each save button's page, and the settings its saving message names.
    readonly property var forms: ({ networkSave: [network, "Network"], cloudSave: [cloudPage, "Cloud"], wifiSave: [allSettings, "Wi-Fi"],
                                    topicsSave: [cloudPage, "Cloud Topic"], simSave: [allSettings, "SIM"],
                                    bleSave: [allSettings, "Bluetooth"], baudSave: [baudrate, "Baudrate"] })

    // The page's saver, which holds its status popup.
    function saver() { return statusPopup().parent }

    // A first read that stays unanswered (`silent`) says so, shows no example
    // values as the gateway's, and can be tried again.
    function test_connectsOnOpeningAndReadsOneSecondLater_data() {
        return [ { tag: "reusing the command link", before: 8881 }, { tag: "taking over the monitor link", before: 8880 },
                 { tag: "with no link yet", before: 0 }, { tag: "again when the link comes back", before: 0, again: true },
                 { tag: "unanswered, then read again", before: 0, silent: true } ]
    }

    function test_connectsOnOpeningAndReadsOneSecondLater(data) {
        openDirect(network, data.before, function() { gateway.setSilentReadAll(!!data.silent) })
        saver().readGuardInterval = 1500
        if (data.again) { // after the first reading
            arrival("GETALL", 2500)
            gateway.setSetting("staticIP", "10.7.7.7")
            gateway.dropConnections(0)
            tryCompare(tcpClient, "connected", false)
            gateway.clearReceived()
            t0 = Date.now()
            tcpClient.connectToDevice(address, 8881)
        }
        var at = arrival("GETALL", 2500)
        verify(at >= 900, "GETALL after " + at + " ms")
        compare([tcpClient.currentPort, gateway.connectionCount(0), gateway.connectionCount(1)], [8881, 1, 0])
        if (data.silent) {
            expectLine("No answer from the gateway", "red")
            for (var name of ["ipField", "subnetField", "gatewayField"])
                compare([named(name).text, named(name).field.placeholderText], ["", ""], name)
            gateway.setSilentReadAll(false)
            gateway.clearReceived()
            click("readAgainButton")
            arrival("GETALL", 2500)
        }
        tryCompare(named("ipField"), "text", data.again ? "10.7.7.7" : "192.168.1.100")
        compare([named("errText").text, named("readAgainButton").visible, named("subnetField").field.placeholderText],
                ["", false, "255.255.255.0"])
    }

    function test_refusesAndSendsNothing_data() {
        var all = "Enter all values", ip = "Please enter valid IP addresses"
        var net = function(tag, address, mask, gateway, field, message) {
            return { tag: tag, button: "networkSave", redField: field, message: message, note: message === ip ? field + "Message" : "",
                     fill: { ipField: address, subnetField: mask, gatewayField: gateway } }
        }
        var form = function(tag, button, field, section, line) {
            var fill = {}
            fill[field] = ""
            return { tag: tag, button: button, fill: fill, section: section, line: line, message: all }
        }
        return [
            net("empty static IP", "", "255.0.0.0", "10.0.0.1", "ipField", "Please enter all values"),
            net("mask field above 255", "10.0.0.2", "255.255.255.256", "10.0.0.1", "subnetField", ip),
            net("gateway of three fields", "10.0.0.2", "255.0.0.0", "10.0.1", "gatewayField", ip),
            net("trailing space", "10.0.0.2 ", "255.0.0.0", "10.0.0.1", "ipField", ip),
            form("broker port", "cloudSave", "portField"), form("broker password", "cloudSave", "passwordField"),
            form("offline topic", "topicsSave", "offlineTopicField", "topicsSection", "errTextTopics"),
            form("Wi-Fi SSID", "wifiSave", "wifiSsidField"),
            form("Bluetooth pin", "bleSave", "blePinField", "bleSection", "errTextBle"),
            form("SIM 2 APN", "simSave", "sim2apnField", "simSection", "errTextSim"),
            { tag: "SIM slot the gateway named by its digit", section: "simSection", button: "simSave", line: "errTextSim",
              reading: { simSlot: "2" }, fill: {}, message: "Select a SIM slot" },
            // The network page read 9600 first: that must not be written back.
            { tag: "unknown baud rate", button: "baudSave", line: "errTextSim", fill: {}, message: "Select all values",
              reading: { rs485_1_baud: "14400", rs485_2_baud: "300" } }
        ]
    }

    function test_refusesAndSendsNothing(data) {
        openRead(forms[data.button][0], data.reading)
        if (data.section)
            click(data.section)
        fill(data.fill)
        click(data.button)
        expectLine(data.message, "red", data.line)
        // Above the first field of a form taller than the window.
        tryVerify(function() { return inView(named(data.line || "errText")) }, 2000, "refusal out of view")
        if (data.redField)
            compare(String(named(data.redField).field.background.border.color), String(Qt.color("red")))
        if (data.note)
            verify(named(data.note).visible)
        verify(!saver().busy)
        wait(300)
        compare(changes(), [])
    }

    // Saves paced by a timer (`gap`) or by the gateway's acknowledgements.
    // Edits during a save do not change what is sent, and (`again`) a second
    // "Save" meanwhile sends nothing more. Drop-downs take the `reading`'s
    // entry of the same whole text; fields show its text as it is. A refusal
    // (`refused`) or silence (`silentOn`) stops a save where it happens:
    // nothing after it is sent, no "SAVE" follows an unsaved step, and the
    // popup names the refused key in the gateway's words. The watchdog covers
    // the acknowledged chain (the broker row at its real 15 s) and each "SAVE".
    function test_saves_data() {
        var hupFill = { mqttServerField: "h", portField: "1", useridField: "u", passwordField: "p" }
        var hupSent = ["SET mqttServer h", "SET mqttPort 1", "SET mqttUser u", "SET mqttPass p", "SAVE"]
        var wifi = { wifiSsidField: "n1", wifiPasswordField: "p1" }, silent = "Save failed: no response from device"
        var refused = function(what, key) {
            return "Failed to save " + what + " settings: the gateway refused " + key + " (\"ERROR: " + key + " rejected\")"
        }
        return [
            { tag: "network", button: "networkSave", gap: 2000, again: true, edit: { gatewayField: "10.9.9.9" },
              fill: { ipField: "10.1.2.3", subnetField: "255.0.255.0", gatewayField: "10.1.2.1" },
              sent: ["SET staticIP 10.1.2.3", "SET subnet 255.0.255.0", "SET gateway 10.1.2.1", "SAVE"],
              outcome: "Network settings saved successfully" },
            { tag: "topics", section: "topicsSection", button: "topicsSave", gap: 3000, outcome: "Topic settings saved successfully",
              fill: { inTopicField: "kv/t1", outTopicField: "kv/t2", errorTopicField: "kv/t3",
                      configTopicField: "kv/t4", responseTopiField: "kv/t5", offlineTopicField: "kv/t6" },
              sent: ["SET port1Topic kv/t1", "SET port2Topic kv/t2", "SET errorTopic kv/t3",
                     "SET configTopic kv/t4", "SET responseTopic kv/t5", "SET offlineTopic kv/t6", "SAVE"] },
            { tag: "SIM", section: "simSection", button: "simSave", gap: 2000, reading: { simSlot: "2  (SIM2)" },
              fill: { sim1apnField: "apn one", sim2apnField: "apn2" }, outcome: "SIM settings saved successfully",
              sent: ["SET simSlot 2  (SIM2)", "SET apnSim1 apn one", "SET apnSim2 apn2", "SAVE"] },
            { tag: "Bluetooth refused", section: "bleSection", button: "bleSave", gap: 2000, refuse: true,
              reading: { bleName: "<b>KV</b> &amp;" }, fill: { blePinField: "12" }, outcome: "Failed to save Bluetooth settings",
              sent: ["SET bleName <b>KV</b> &amp;", "SET blePin 12", "SAVE"] },
            { tag: "baud rate cleared to the default", button: "baudSave", gap: 2000, clear: "baudClear",
              sent: ["SET rs485_1_baud 19200", "SET rs485_2_baud 19200", "SAVE"], outcome: "Baudrate settings saved successfully" },
            { tag: "baud rates as read", button: "baudSave", gap: 2000, reading: { rs485_1_baud: "9600", rs485_2_baud: "300" },
              sent: ["SET rs485_1_baud 9600", "SET rs485_2_baud 300", "SAVE"], outcome: "Baudrate settings saved successfully" },
            // The port is read when it is sent, i.e. after the server's acknowledgement.
            { tag: "broker", button: "cloudSave", again: true, edit: { portField: "8883" }, outcome: "Cloud settings saved successfully",
              fill: { mqttServerField: "broker host", portField: "1883", useridField: "plant user", passwordField: "p@ss word" },
              sent: ["SET mqttServer broker host", "SET mqttPort 8883", "SET mqttUser plant user", "SET mqttPass p@ss word", "SAVE"] },
            { tag: "broker, Topics shown at the outcome", button: "cloudSave", switchTo: "topicsSection", fill: hupFill, sent: hupSent,
              outcome: "Topic settings saved successfully" },
            { tag: "broker refused", button: "cloudSave", refuse: true, fill: hupFill, sent: hupSent,
              outcome: "Failed to save Cloud settings" },
            { tag: "Wi-Fi, SIM shown at the outcome", button: "wifiSave", switchTo: "simSection",
              fill: { wifiSsidField: "plant net", wifiPasswordField: "pass with spaces" }, outcome: "SIM settings saved successfully",
              sent: ["SET wifiSSID plant net", "SET wifiPass pass with spaces", "SAVE"] },
            { tag: "Wi-Fi SSID refused naming the key", button: "wifiSave", fill: wifi, refused: "wifiSSID", sent: ["SET wifiSSID n1"],
              outcome: refused("Wi-Fi", "wifiSSID") },
            { tag: "broker port refused", button: "cloudSave", fill: hupFill, refused: "mqttPort",
              sent: ["SET mqttServer h", "SET mqttPort 1"], outcome: refused("Cloud", "mqttPort") },
            { tag: "LAN mask refused, timer-paced", button: "networkSave", refused: "subnet", gap: 2000,
              fill: { ipField: "10.1.2.3", subnetField: "255.0.0.0", gatewayField: "10.1.2.1" },
              sent: ["SET staticIP 10.1.2.3", "SET subnet 255.0.0.0"], outcome: refused("Network", "subnet") },
            { tag: "broker silent, 15 s", button: "cloudSave", silentOn: "SET mqttUser u1", limit: 15000, outcome: silent,
              fill: { mqttServerField: "10.0.0.9", portField: "1883", useridField: "u1", passwordField: "p1" },
              sent: ["SET mqttServer 10.0.0.9", "SET mqttPort 1883", "SET mqttUser u1"] },
            { tag: "Wi-Fi silent", button: "wifiSave", silentOn: "SET wifiPass p1", watchdog: 1500, limit: 1500, fill: wifi,
              sent: ["SET wifiSSID n1", "SET wifiPass p1"], outcome: silent },
            { tag: "baud rate save silent", button: "baudSave", clear: "baudClear", silentOn: "SAVE", watchdog: 1500, limit: 5500,
              gap: 2000, outcome: silent, sent: ["SET rs485_1_baud 19200", "SET rs485_2_baud 19200", "SAVE"] }
        ]
    }

    function test_saves(data) {
        var failed = data.outcome.indexOf("successfully") < 0, saving = "Saving " + forms[data.button][1] + " Settings..."
        openRead(forms[data.button][0], data.reading)
        saver().watchdogInterval = data.watchdog || 15000
        gateway.setRefuseSave(!!data.refuse)
        gateway.setReplyDelay(data.gap ? 0 : 400)
        if (data.refused)
            gateway.setRefusedSetting(data.refused)
        if (data.silentOn)
            gateway.setScriptedReply(data.silentOn, "")
        if (data.section)
            click(data.section)
        if (data.clear)
            click(data.clear)
        fill(data.fill || {})
        press(data.button)
        expectStatus(saving, "#3498db")
        // Acknowledged saves wait on the first key at once.
        compare([saver().busy, saver().pendingKey], [true, data.gap ? "" : data.sent[0].split(" ")[1]])
        fill(data.edit || {})
        if (data.again || data.switchTo) {
            keyClick(Qt.Key_Escape)
            tryCompare(statusPopup(), "visible", false)
            click(data.switchTo || data.button)
        }
        if (data.again)
            expectStatus(saving, "#3498db")
        // Each command `gap` ms after the one before, or after its acknowledgement.
        for (var i = 0, last = 0; i < data.sent.length; ++i) {
            var at = arrival(data.sent[i], data.gap ? data.gap * i + 1500 : (i ? 3000 : 500))
            if (data.gap)
                verify(at >= data.gap * i - 150 && at <= data.gap * i + 800, data.sent[i] + " at " + at + " ms")
            else
                verify(i === 0 || at - last >= 300, data.sent[i] + " did not wait for its acknowledgement")
            last = at
        }
        expectStatus(data.outcome, failed ? "red" : "green")
        at = Date.now() - t0
        if (data.limit)
            verify(at >= data.limit - 100 && at < data.limit + 1500, "watchdog after " + at + " ms")
        compare([changes(), saver().busy, saver().pendingKey], [data.sent, false, ""])
        // "OK" after a success reads the gateway again a second later; a
        // failed save sends nothing more.
        gateway.clearReceived()
        if (!data.switchTo)
            press("statusOkButton")
        if (failed) {
            wait(Math.max(1300, (data.gap || 0) + 300))
            compare(commands(), [])
        } else if (!data.switchTo) {
            verify(arrival("GETALL", 2000) >= 900)
        }
        if (data.edit && data.gap)
            tryCompare(named("gatewayField"), "text", "10.1.2.1")
    }

    function test_closingDropsTheLinkAndAbandonsTheSave() {
        openRead(network)
        click("networkSave")
        arrival("SET staticIP 192.168.1.100", 1000)
        window.pageLoader.source = "qrc:/ChooseDeviceIp.qml"
        tryCompare(tcpClient, "connected", false)
        wait(2300)
        compare(changes(), ["SET staticIP 192.168.1.100"])
    }

    function test_clearedFieldsStopFollowingTheGateway() {
        openRead(cloudPage)
        verify(named("mqttServerField").text.length > 0)
        click("cloudClear")
        click("topicsSection")
        click("topicsClear")
        tcpClient.sendCommand("GETALL")
        tryVerify(function() { return tcpClient.dataMap["deviceId"] !== undefined })
        wait(200)
        compare(commands(), ["GETALL"])
        for (var name of ["mqttServerField", "passwordField", "inTopicField", "offlineTopicField"])
            compare(named(name).text, "", name)
    }
}
