import QtQuick
import "components"

// The cloud-mode menu: the only way between the cloud pages, and which
// gateway is selected and whether the broker session is up. Restarting the
// gateway lives on the start/stop page, so there is no reboot button here.
NavigationMenu {
    id: menu
    objectName: "sideMenuMqtt"

    entries: [
        { caption: "", label: "Choose Device", page: "qrc:/ChooseDeviceIp.qml", head: "Choose Device", leaves: true },
        { caption: "Start/Stop", label: "Start/Stop", page: "qrc:/StartOrStop.qml", head: "Device - Start/Stop" },
        { caption: "Devices", label: "Add Device", page: "qrc:/AddNewMeterMqtt.qml", head: "Devices - Add Device" },
        { caption: "", label: "Device List", page: "qrc:/AvailableMeterMqtt.qml", head: "Devices - Device List" },
        { caption: "Write Parameters", label: "Single Register", page: "qrc:/SingleRegister.qml", head: "Registers - Single Register" },
        { caption: "", label: "Multiple Register", page: "qrc:/MultipleRegister.qml", head: "Registers - Multiple Register" },
        { caption: "SYSTEM", label: "Logs", page: "qrc:/LogMqtt.qml", head: "System - Logs" },
        { caption: "", label: "Trends", page: "qrc:/TrendsMqtt.qml", head: "System - Trends" },
        { caption: "", label: "Backup", page: "qrc:/Backup.qml", head: "System - Backup" },
        { caption: "", label: "Fleet", page: "qrc:/Fleet.qml", head: "System - Fleet" },
        { caption: "", label: "About", about: true },
        { caption: "Network", label: "Network Logs", page: "qrc:/NetworkMqtt.qml", head: "Network - Logs" }
    ]
    currentHead: pagehead2
    linkConnected: tcpClient.connectedmqtt
    onStatusClicked: showBrokerPopup(tcpClient.connectedmqtt ? "Connected to the broker."
                                     : tcpClient.brokerError !== "" ? tcpClient.brokerError
                                     : "Not connected to the broker.")

    // Flags first, then the page, then the header, so the page that opens
    // already sees the mode it belongs to.
    onEntryClicked: function(entry) {
        if (entry.leaves) {
            ipSelected = false
            idSelected = false
        }
        // The page already shown is not created again.
        if (loaderr.source.toString() !== entry.page)
            loaderr.source = entry.page
        pagehead2 = entry.head
    }
}
