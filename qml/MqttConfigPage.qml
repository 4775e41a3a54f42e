import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import "components"
import "components/Palette.js" as Palette

// The gateway's MQTT settings: the broker it reports to and its topics.
Rectangle {
    id: page
    color: Palette.page

    property alias mqttSettingDevice: saver.busy
    property alias popupMessage: saver.popupMessage
    property alias popupColor: saver.popupColor
    property alias mqttPendingKey: saver.pendingKey
    property string errText
    property string errTextTopics
    readonly property bool topicsSelected: topicsRadio.checked
    // The values being saved, fixed when "Save" is pressed. Server and port
    // are read from their fields as each is sent.
    property string useridText
    property string passwordText
    property string port1tpicText
    property string port2tpicText
    property string errtpicText
    property string configtpicText
    property string resptpicText
    property string offlinetpicText

    readonly property var topicFields: [inTopicField, outTopicField, errorTopicField,
        configTopicField, responseTopiField, offlineTopicField]

    function saveBroker() {
        if ([portField, mqttServerField, useridField, passwordField]
                .some(function(f) { return f.text.length === 0 })) {
            errText = "Enter all values"
            return
        }
        errText = ""
        useridText = useridField.text
        passwordText = passwordField.text
        saver.saveAcknowledged("Saving Cloud Settings...", [
            { key: "mqttServer", value: function() { return mqttServerField.text } },
            { key: "mqttPort", value: function() { return portField.text } },
            { key: "mqttUser", value: useridText },
            { key: "mqttPass", value: passwordText }
        ])
    }

    function saveTopics() {
        if (topicFields.some(function(f) { return f.text.length === 0 })) {
            errTextTopics = "Enter all values"
            return
        }
        errTextTopics = ""
        port1tpicText = inTopicField.text
        port2tpicText = outTopicField.text
        errtpicText = errorTopicField.text
        configtpicText = configTopicField.text
        resptpicText = responseTopiField.text
        offlinetpicText = offlineTopicField.text
        saver.savePaced("Saving Cloud Topic Settings...", [
            { key: "port1Topic", value: port1tpicText },
            { key: "port2Topic", value: port2tpicText },
            { key: "errorTopic", value: errtpicText },
            { key: "configTopic", value: configtpicText },
            { key: "responseTopic", value: resptpicText },
            { key: "offlineTopic", value: offlinetpicText }
        ], 3000)
    }

    function clearBroker() {
        errText = ""
        for (const f of [mqttServerField, portField, useridField, passwordField]) {
            saver.untrack(f)
            f.text = ""
        }
    }

    function clearTopicStaged() {
        port1tpicText = ""
        port2tpicText = ""
        errtpicText = ""
        configtpicText = ""
        resptpicText = ""
        offlinetpicText = ""
    }

    function clearTopics() {
        errTextTopics = ""
        for (const f of topicFields) {
            saver.untrack(f)
            f.text = ""
        }
        clearTopicStaged()
    }

    SettingsSave {
        id: saver
        deviceIP: currentdeviceIP
        popupName: "statusPopup"
        successText: page.topicsSelected ? "Topic settings saved successfully"
                                         : "Cloud settings saved successfully"
        failureText: page.topicsSelected ? "Failed to save Topic settings"
                                         : "Failed to save Cloud settings"
    }

    PageCard {
        anchors.fill: parent
        title: "Cloud Settings"
        card.radius: 15

        RowLayout {
            id: sections
            anchors { top: parent.top; left: parent.left; right: parent.right }
            spacing: 30
            SectionRadio { id: cloudRadio; objectName: "cloudSection"; text: "Cloud Settings"; checked: true }
            SectionRadio { id: topicsRadio; objectName: "topicsSection"; text: "Topics" }
            Item { Layout.fillWidth: true }
        }

        ScrollForm {
            objectName: "cloudForm"
            anchors { top: sections.bottom; topMargin: 12; left: parent.left; right: parent.right; bottom: parent.bottom }
            visible: !page.topicsSelected

            SettingsMessage { objectName: "errText"; saver: saver; message: page.errText }
            LabeledField {
                id: mqttServerField
                objectName: "mqttServerField"
                Layout.fillWidth: true
                caption: "Server"
                placeholderText: "Enter Server"
                field.font.pixelSize: 16
                Component.onCompleted: saver.track(mqttServerField, "mqttServer")
            }
            LabeledField {
                id: portField
                objectName: "portField"
                Layout.fillWidth: true
                caption: "Port"
                placeholderText: "Enter Port"
                field.font.pixelSize: 16
                validator: IntValidator { bottom: 1; top: 65535 }
                Component.onCompleted: saver.track(portField, "mqttPort")
            }
            LabeledField {
                id: useridField
                objectName: "useridField"
                Layout.fillWidth: true
                caption: "User"
                placeholderText: "Enter User"
                field.font.pixelSize: 16
                Component.onCompleted: saver.track(useridField, "mqttUser")
            }
            PasswordField {
                id: passwordField
                objectName: "passwordField"
                Layout.fillWidth: true
                caption: "Password"
                placeholderText: "Enter Password"
                Component.onCompleted: saver.track(passwordField, "mqttPass")
            }
            FormButtons {
                name: "cloud"
                onSaveClicked: page.saveBroker()
                onClearClicked: page.clearBroker()
            }
        }

        ScrollForm {
            objectName: "topicsForm"
            anchors { top: sections.bottom; topMargin: 12; left: parent.left; right: parent.right; bottom: parent.bottom }
            visible: page.topicsSelected

            SettingsMessage { objectName: "errTextTopics"; saver: saver; message: page.errTextTopics }
            TopicField { id: inTopicField; objectName: "inTopicField"; caption: "Port 1 topic"; key: "port1Topic"; placeholderText: "Enter Port1 Topic" }
            TopicField { id: outTopicField; objectName: "outTopicField"; caption: "Port 2 topic"; key: "port2Topic"; placeholderText: "Enter Port2 Topic" }
            TopicField { id: errorTopicField; objectName: "errorTopicField"; caption: "Error topic"; key: "errorTopic"; placeholderText: "Enter Error Topic" }
            TopicField { id: configTopicField; objectName: "configTopicField"; caption: "Config topic"; key: "configTopic"; placeholderText: "Enter Config Topic" }
            TopicField { id: responseTopiField; objectName: "responseTopiField"; caption: "Response topic"; key: "responseTopic"; placeholderText: "Enter Response Topic" }
            TopicField { id: offlineTopicField; objectName: "offlineTopicField"; caption: "Offline topic"; key: "offlineTopic"; placeholderText: "Enter Offline Topic" }
            FormButtons {
                name: "topics"
                onSaveClicked: page.saveTopics()
                onClearClicked: page.clearTopics()
            }
        }
    }

    component TopicField: LabeledField {
        id: topic
        property string key
        Layout.fillWidth: true
        field.font.pixelSize: 16
        Component.onCompleted: saver.track(topic, key)
    }

    BusyOverlay { visible: page.mqttSettingDevice }

    Component.onDestruction: {
        useridText = ""
        passwordText = ""
        clearTopicStaged()
    }
}
