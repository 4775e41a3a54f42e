import QtQuick
import "components"

// Has the selected gateway write a run of Modbus registers from one list.
RegisterWritePage {
    title: "Write Multiple Registers"
    multiple: true
    valuePlaceholder: "eg. 1000,0,50,400"
    successMessage: "Multiple Regiters has been written successfully."
    deviceId: currentDeviceId
}
