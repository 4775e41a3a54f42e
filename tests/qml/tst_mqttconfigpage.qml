import QtQuick
import QtTest

// The cloud settings page: the acknowledgement-paced broker save with its
// watchdog, and the topics save paced at three seconds.
SettingsPageCase {
    name: "MqttConfigPage"

    readonly property var topicNames: ["inTopicField", "outTopicField", "errorTopicField",
        "configTopicField", "responseTopiField", "offlineTopicField"]

    function fillBroker(server, port, user, pass) {
        named("mqttServerField").text = server
        named("portField").text = port
        named("useridField").text = user
        named("passwordField").text = pass
    }

    function test_emptyFieldsAreRefused_data() {
        return [
            { tag: "broker port", section: "cloudSection", empty: "portField",
              button: "cloudSave", line: "errText" },
            { tag: "broker password", section: "cloudSection", empty: "passwordField",
              button: "cloudSave", line: "errText" },
            { tag: "offline topic", section: "topicsSection", empty: "offlineTopicField",
              button: "topicsSave", line: "errTextTopics" }
        ]
    }

    function test_emptyFieldsAreRefused(data) {
        openReadPage("qrc:/MqttConfigPage.qml")
        click(data.section)
        waitForRendering(window.contentItem, 250)
        named(data.empty).text = ""
        click(data.button)
        compare(named(data.line).text, "Enter all values")
        compare(String(named(data.line).color), String(Qt.color("red")))
        verify(!page.mqttSettingDevice)
        wait(3300)
        compare(settingCommands(), [])
    }

    function test_brokerSaveWaitsForEachAcknowledgement_data() {
        return [
            { tag: "success", refuse: false, switchToTopics: false,
              outcome: "Cloud settings saved successfully", colour: "green" },
            { tag: "success while Topics is shown", refuse: false, switchToTopics: true,
              outcome: "Topic settings saved successfully", colour: "green" },
            { tag: "refused by the gateway", refuse: true, switchToTopics: false,
              outcome: "Failed to save Cloud settings", colour: "red" }
        ]
    }

    function test_brokerSaveWaitsForEachAcknowledgement(data) {
        openReadPage("qrc:/MqttConfigPage.qml")
        gateway.setRefuseSave(data.refuse)
        gateway.setReplyDelay(400)
        // The server name goes out exactly as typed, space included.
        fillBroker("broker host", "1883", "plant user", "p@ss word")
        press("cloudSave")
        expectStatus("Saving Cloud Settings...", "#3498db")
        compare(page.mqttPendingKey, "mqttServer")
        // Read when it is sent, i.e. after the server's acknowledgement.
        named("portField").text = "8883"
        if (data.switchToTopics) {
            // The operator closes the modal popup first.
            named("statusPopup").close()
            click("topicsSection")
        }
        arrival("SET mqttServer broker host", 500)
        var expected = ["SET mqttServer broker host", "SET mqttPort 8883",
                        "SET mqttUser plant user", "SET mqttPass p@ss word", "SAVE"]
        for (var i = 1; i < expected.length; ++i) {
            var sent = arrival(expected[i - 1], 3000)
            var next = arrival(expected[i], 3000)
            verify(next - sent >= 300, expected[i] + " did not wait for an acknowledgement")
        }
        compare(settingCommands(), expected)
        expectStatus(data.outcome, data.colour)
        verify(!page.mqttSettingDevice)
        compare(page.mqttPendingKey, "")
    }

    function test_silentGatewayEndsTheChainAfterFifteenSeconds() {
        openReadPage("qrc:/MqttConfigPage.qml")
        fillBroker("10.0.0.9", "1883", "u1", "p1")
        gateway.setScriptedReply("SET mqttUser u1", "")
        press("cloudSave")
        arrival("SET mqttUser u1", 1000)
        wait(13000)
        compare(named("statusPopup").message, "Saving Cloud Settings...")
        expectStatus("Save failed: no response from device", "red")
        var at = Date.now() - t0
        verify(at >= 14900 && at < 16500, "watchdog after " + at + " ms")
        verify(!page.mqttSettingDevice)
        compare(page.mqttPendingKey, "")
        wait(300)
        compare(settingCommands(), ["SET mqttServer 10.0.0.9", "SET mqttPort 1883",
                                    "SET mqttUser u1"])
    }

    function test_topicsSaveIsPacedAtThreeSeconds() {
        openReadPage("qrc:/MqttConfigPage.qml")
        click("topicsSection")
        waitForRendering(window.contentItem, 250)
        for (var i = 0; i < topicNames.length; ++i)
            named(topicNames[i]).text = "kv/t" + (i + 1)
        press("topicsSave")
        expectStatus("Saving Cloud Topic Settings...", "#3498db")
        expectPaced(["SET port1Topic kv/t1", "SET port2Topic kv/t2", "SET errorTopic kv/t3",
                     "SET configTopic kv/t4", "SET responseTopic kv/t5",
                     "SET offlineTopic kv/t6", "SAVE"], 3000)
        expectStatus("Topic settings saved successfully", "green")
    }

    function test_clearedFieldsStopFollowingTheGateway() {
        openReadPage("qrc:/MqttConfigPage.qml")
        verify(named("mqttServerField").text.length > 0)
        click("cloudClear")
        click("topicsSection")
        waitForRendering(window.contentItem, 250)
        click("topicsClear")
        gateway.clearReceived()
        tcpClient.sendCommand("GETALL")
        tryVerify(function() { return tcpClient.dataMap["deviceId"] !== undefined })
        wait(200)
        compare(gateway.commands(), ["GETALL"])
        var names = ["mqttServerField", "portField", "useridField", "passwordField"].concat(topicNames)
        for (var i = 0; i < names.length; ++i)
            compare(named(names[i]).text, "", names[i])
    }

    function test_passwordIsMaskedUntilShown() {
        openReadPage("qrc:/MqttConfigPage.qml")
        var password = named("passwordField")
        compare(password.field.echoMode, TextInput.Password)
        password.shown = true
        compare(password.field.echoMode, TextInput.Normal)
    }

    function cleanup() {
        gateway.setReplyDelay(0)
        window = null
        page = null
        tcpClient.disconnectFromDevice()
        gateway.stop()
        gateway.setRefuseSave(false)
    }
}
