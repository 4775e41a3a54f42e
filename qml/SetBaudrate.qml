import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import Kestrelvane.Rules
import "components"
import "components/Palette.js" as Palette

// The line speed of each of the gateway's two RS-485 ports.
Rectangle {
    id: page
    color: Palette.page

    property alias baudSettingDevice: saver.busy
    property alias popupMessage: saver.popupMessage
    property alias popupColor: saver.popupColor
    property string errTextSim
    // The rates being saved, fixed when "Save" is pressed.
    property string baud1text
    property string baud2text

    readonly property var rates: GatewayRules.baudRates
    readonly property alias port1Combo: port1Block.box
    readonly property alias port2Combo: port2Block.box

    function save() {
        if (port1Combo.currentIndex < 0 || port2Combo.currentIndex < 0) {
            errTextSim = "Select all values"
            return
        }
        errTextSim = ""
        baud1text = port1Combo.currentText
        baud2text = port2Combo.currentText
        saver.savePaced("Saving Baudrate Settings...", [
            { key: "rs485_1_baud", value: baud1text },
            { key: "rs485_2_baud", value: baud2text }
        ], 2000)
    }

    function clear() {
        errTextSim = ""
        baud1text = ""
        baud2text = ""
        saver.choose(port1Combo, 6)
        saver.choose(port2Combo, 6)
    }

    SettingsSave {
        id: saver
        deviceIP: currentdeviceIP
        popupName: "statusPopup"
        successText: "Baudrate settings saved successfully"
        failureText: "Failed to save Baudrate settings"
    }

    PageCard {
        anchors.fill: parent
        title: "Settings"
        card.radius: 15

        ScrollForm {
            anchors.fill: parent

            SettingsMessage { objectName: "errTextSim"; saver: saver; message: page.errTextSim }
            RateChoice { id: port1Block; caption: "Port 1 Baudrate"; box.objectName: "port1Combo" }
            RateChoice { id: port2Block; caption: "Port 2 Baudrate"; box.objectName: "port2Combo" }
            FormButtons {
                name: "baud"
                onSaveClicked: page.save()
                onClearClicked: page.clear()
            }
        }
    }

    component RateChoice: LabeledComboBox {
        Layout.fillWidth: true
        model: page.rates
        box.font.pixelSize: 16
        box.indicator: Text {
            x: parent.width - width - 12
            y: (parent.height - height) / 2
            text: "\u25BC"
            color: "white"
            font.pixelSize: 12
        }
    }

    BusyOverlay { visible: page.baudSettingDevice }

    Component.onCompleted: {
        saver.select(port1Combo, "rs485_1_baud")
        saver.select(port2Combo, "rs485_2_baud")
    }
    Component.onDestruction: {
        baud1text = ""
        baud2text = ""
    }
}
