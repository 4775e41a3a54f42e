import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import "components"
import "components/Palette.js" as Palette

ApplicationWindow {
    id: window

    // Window-wide state the pages read and write by name.
    property bool ipSelected: false
    property bool idSelected: false
    property string pagehead: "Choose Device"
    property string pagehead2: "Choose Device"
    property string currentdeviceIP: "192.168.1.101"
    property string currentDeviceId: ""
    property string brokerPopupMessage: ""
    // For tests and tools that drive the window from outside.
    readonly property alias pageLoader: loaderr

    function showBrokerPopup(msg) {
        brokerPopupMessage = msg
        brokerPopup.open()
    }

    title: "Industrial 4G Gateway Configuration Tool"
    color: Palette.window
    width: Screen.width * 0.85
    height: Screen.height * 0.85
    x: (Screen.width - width) / 2
    y: (Screen.height - height) / 2
    minimumWidth: 800
    minimumHeight: 600
    visible: true

    Component.onDestruction: tcpClient.clearnetworkLogFromMqtt()

    FontLoader { id: qcksnd; source: "qrc:/Font/Quicksand_Medium.ttf" }

    RowLayout {
        anchors.fill: parent
        spacing: 0

        SideMenu {
            id: sideMenu
            visible: ipSelected
            Layout.fillHeight: true
            Layout.preferredWidth: 220
        }
        Loader {
            id: sideMenuMqtt
            active: idSelected
            visible: idSelected
            source: "qrc:/SideMenuMQTT.qml"
            Layout.fillHeight: true
            Layout.preferredWidth: 220
        }

        ColumnLayout {
            Layout.fillWidth: true
            Layout.fillHeight: true
            spacing: 0

            Rectangle {
                id: headerBar
                visible: ipSelected || idSelected
                color: Palette.page
                Layout.fillWidth: true
                Layout.preferredHeight: window.height / 15
                Text {
                    anchors.left: parent.left
                    anchors.leftMargin: 10
                    anchors.verticalCenter: parent.verticalCenter
                    text: ipSelected ? pagehead : (idSelected ? pagehead2 : "")
                    color: "white"
                    font.family: qcksnd.name
                    font.pixelSize: 25
                    textFormat: Text.PlainText
                }
            }

            Loader {
                id: loaderr
                Layout.fillWidth: true
                Layout.fillHeight: true
                source: "qrc:/ChooseDeviceIp.qml"
            }

            Item {
                Layout.fillWidth: true
                Layout.preferredHeight: 35
                Text {
                    anchors.right: parent.right
                    anchors.rightMargin: 12
                    anchors.top: parent.top
                    anchors.topMargin: 6
                    text: "Developed by MERIDAX"
                    color: "#a0a0a0"
                    font.pixelSize: 14
                    font.family: qcksnd.name
                }
            }
        }
    }

    // In cloud mode a broker just chosen that cannot be reached says why at
    // once; a working link that drops is only "Not Connected" in the menu.
    Connections {
        target: tcpClient
        function onBrokerFailed(reason) {
            if (idSelected)
                showBrokerPopup(reason)
        }
    }

    // Closes by "OK", Escape or a click outside.
    ModalPopup {
        id: brokerPopup
        objectName: "brokerPopup"
        width: 420
        height: brokerLink.visible ? 260 : 200
        initialFocus: brokerOkButton
        anchors.centerIn: Overlay.overlay
        background: Rectangle {
            color: Palette.page
            radius: 10
            border.width: 2
            border.color: "#e67e22"
        }
        ColumnLayout {
            anchors.fill: parent
            spacing: 12
            Text {
                Layout.fillWidth: true
                Layout.fillHeight: true
                objectName: "brokerMessage"
                text: brokerPopupMessage
                color: "white"
                font.pixelSize: 16
                font.family: qcksnd.name
                wrapMode: Text.WordWrap
                horizontalAlignment: Text.AlignHCenter
                verticalAlignment: Text.AlignVCenter
                textFormat: Text.PlainText
            }
            // Whether the link is encrypted, and by what, while it is up.
            Text {
                id: brokerLink
                objectName: "brokerLink"
                Layout.fillWidth: true
                visible: text !== ""
                text: tcpClient.brokerLink
                color: "#a0b8cc"
                font.pixelSize: 13
                font.family: qcksnd.name
                wrapMode: Text.WordWrap
                horizontalAlignment: Text.AlignHCenter
                textFormat: Text.PlainText
            }
            PrimaryButton {
                id: brokerOkButton
                objectName: "brokerOkButton"
                Layout.alignment: Qt.AlignHCenter
                Layout.preferredWidth: 130
                Layout.preferredHeight: 46
                radius: 23
                text: "OK"
                onClicked: brokerPopup.close()
            }
        }
    }
}
