import QtQuick
import "components"

// Has the selected gateway write one Modbus register.
RegisterWritePage {
    title: "Write Single Register"
    successMessage: "Parameters has been written successfully."
    deviceId: currentDeviceId
}
