import QtQuick
import QtQuick.Controls
import "Palette.js" as Palette
import "../DirectLink.js" as DirectLink

// What every gateway settings page does with its link, whatever it edits:
// it opens its own command connection, reads all settings a second after
// opening (and after every reconnection), keeps its fields on the values the
// gateway reports, writes changes as a staged save ("SET key value" lines
// then "SAVE"), shows the outcome in its status popup and drops the
// connection when the page goes away.
//
// A page declares one of these, binds `deviceIP`, `successText` and
// `failureText`, and hands its fields to track() / select().
Item {
    id: saver

    property string deviceIP
    property int port: 8881
    // Between the first SET and the outcome; drives the page's busy overlay.
    property bool busy: false
    property string popupMessage
    property color popupColor: Palette.saving
    // The key whose acknowledgement an acknowledgement-paced save waits for.
    property string pendingKey
    // Outcome texts: pages bind them to their selected section, so the text
    // follows the section shown when the outcome arrives.
    property string successText
    property string failureText
    property alias popupName: statusPopup.objectName
    property alias popup: statusPopup
    property alias readTimer: readTimer
    property int watchdogInterval: 15000
    readonly property string noResponseText: "Save failed: no response from device"
    // Commands of a save are still going out.
    readonly property bool sending: stepTimer.running || pendingKey.length > 0

    // "SAVE" was handed to the backend.
    signal saveSent()

    property var _steps: []
    property int _next: 0
    property var _tracked: []
    property var _selections: []
    // This page's "GETALL" went out: the replies that follow are this
    // gateway's values as they are now.
    property bool _reading: false

    function ensureConnection() {
        DirectLink.ensure(tcpClient, deviceIP, port)
        readTimer.start()
    }

    // A field shows the gateway's value of its key as this page reads it and
    // takes it again after every read, until the page lets it go (its
    // "Clear"). Until this page's reading arrives it stays empty, for the
    // reason select() gives.
    function track(field, key) {
        _tracked.push({ field: field, key: key })
        field.text = ""
    }

    function untrack(field) {
        _tracked = _tracked.filter(function(entry) { return entry.field !== field })
    }

    function mapValue(key) {
        var value = tcpClient.dataMap[key]
        return value === undefined || value === null ? "" : String(value)
    }

    // A drop-down shows the gateway's value as this page reads it: the entry
    // whose whole text equals it, or none. Until that reading arrives it
    // shows none: the map may still hold an earlier reading (another page's,
    // of another gateway, or from before the value changed), and a save must
    // not write back a value the operator neither saw read nor chose. Once
    // the operator picks an entry (or choose() sets one), the drop-down keeps
    // it.
    function select(combo, key) {
        var selection = { combo: combo, key: key, chosen: false }
        combo.activated.connect(function() { selection.chosen = true })
        _selections.push(selection)
        combo.currentIndex = -1
    }

    function choose(combo, index) {
        combo.currentIndex = index
        for (var i = 0; i < _selections.length; ++i) {
            if (_selections[i].combo === combo)
                _selections[i].chosen = true
        }
    }

    function indexOfText(entries, text) {
        for (var i = 0; i < entries.length; ++i) {
            if (String(entries[i]) === text)
                return i
        }
        return -1
    }

    function applyReading() {
        for (var i = 0; i < _selections.length; ++i) {
            var selection = _selections[i]
            if (!selection.chosen)
                selection.combo.currentIndex = indexOfText(selection.combo.model,
                                                           mapValue(selection.key))
        }
    }

    function showStatus(message, colour) {
        popupMessage = message
        popupColor = colour
        statusPopup.open()
    }

    function command(step) {
        var value = typeof step.value === "function" ? step.value() : step.value
        return "SET " + step.key + " " + value
    }

    // A second save while the first one's commands are still going out would
    // interleave the two; the operator is shown the save under way instead.
    function refuseWhileSending() {
        if (!sending)
            return false
        statusPopup.open()
        return true
    }

    // Sends the first SET at once, each further one and then "SAVE" `gap` ms
    // after the previous; nothing waits for the replies.
    function savePaced(savingText, steps, gap) {
        if (refuseWhileSending())
            return false
        busy = true
        showStatus(savingText, Palette.saving)
        _steps = steps
        _next = 1
        tcpClient.sendCommand(command(steps[0]))
        stepTimer.interval = gap
        stepTimer.start()
        return true
    }

    // Sends each SET only once the gateway acknowledged the previous one, so
    // that "SAVE" never overtakes the last of them; one watchdog covers the
    // whole chain. A step's value may be a function, read when it is sent.
    function saveAcknowledged(savingText, steps) {
        if (refuseWhileSending())
            return false
        busy = true
        showStatus(savingText, Palette.saving)
        _steps = steps
        _next = 1
        pendingKey = steps[0].key
        watchdog.interval = watchdogInterval
        watchdog.restart()
        tcpClient.sendCommand(command(steps[0]))
        return true
    }

    function sendSave() {
        tcpClient.sendCommand("SAVE")
        saveSent()
    }

    Timer {
        id: readTimer
        interval: 1000
        onTriggered: {
            saver._reading = true
            tcpClient.sendCommand("GETALL")
        }
    }

    Timer {
        id: stepTimer
        repeat: true
        onTriggered: {
            if (saver._next < saver._steps.length) {
                tcpClient.sendCommand(saver.command(saver._steps[saver._next]))
                ++saver._next
            } else {
                stop()
                saver.sendSave()
            }
        }
    }

    Timer {
        id: watchdog
        onTriggered: {
            if (saver.pendingKey.length === 0)
                return
            saver.pendingKey = ""
            saver.busy = false
            saver.showStatus(saver.noResponseText, "red")
        }
    }

    Connections {
        target: tcpClient
        function onConnectedChanged() {
            if (tcpClient.connected)
                readTimer.start()
        }
        function onDataMapChanged() {
            if (!saver._reading)
                return
            for (var i = 0; i < saver._tracked.length; ++i)
                saver._tracked[i].field.text = saver.mapValue(saver._tracked[i].key)
            if (tcpClient.currentCommand === "GETALL")
                saver.applyReading()
        }
        function onSetAcknowledged(key) {
            if (saver.pendingKey.length === 0 || key !== saver.pendingKey)
                return
            if (saver._next < saver._steps.length) {
                var step = saver._steps[saver._next++]
                saver.pendingKey = step.key
                tcpClient.sendCommand(saver.command(step))
            } else {
                saver.pendingKey = ""
                watchdog.stop()
                saver.sendSave()
            }
        }
        function onSaveCompleted() {
            saver.busy = false
            saver.showStatus(saver.successText, "green")
        }
        function onNotSavedFully() {
            saver.busy = false
            saver.showStatus(saver.failureText, "red")
        }
    }

    StatusPopup {
        id: statusPopup
        message: saver.popupMessage
        borderColor: saver.popupColor
        onAccepted: {
            // After a success the fields show what the gateway now holds.
            if (message.indexOf("successfully") >= 0)
                readTimer.start()
            close()
        }
    }

    Component.onCompleted: ensureConnection()
    Component.onDestruction: DirectLink.release(tcpClient, port)
}
