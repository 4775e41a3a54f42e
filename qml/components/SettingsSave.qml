import QtQuick
import QtQuick.Controls
import Kestrelvane.Link
import "Palette.js" as Palette
import "../DirectLink.js" as DirectLink

// What every gateway settings page does with its link, whatever it edits:
// it opens its own command connection, reads all settings a second after
// opening (and after every reconnection), keeps its fields on the values the
// gateway reports, writes changes as a staged save ("SET key value" lines
// then "SAVE", through a ChangeSequence), shows the outcome in its status
// popup and drops the connection when the page goes away.
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
    // How long the page's read may go unanswered before it says so.
    property int readGuardInterval: 10000
    readonly property string noResponseText: "Save failed: no response from device"
    readonly property string noAnswerText: "No answer from the gateway"
    // This page's read was answered: the fields show the gateway's values.
    property bool hasReading: false
    // This page's read went unanswered; the page offers to read again.
    property bool readFailed: false
    // Commands of a save are still going out or await their outcome.
    readonly property bool sending: sequence.running

    // "SAVE" was handed to the backend.
    signal saveSent()

    property var _tracked: []
    property var _selections: []
    // This page's "GETALL" went out: the replies that follow are this
    // gateway's values as they are now.
    property bool _reading: false

    function ensureConnection() {
        DirectLink.ensure(tcpClient, deviceIP, port)
        readTimer.start()
    }

    function readAgain() {
        readFailed = false
        ensureConnection()
    }

    // A field shows the gateway's value of its key as this page reads it and
    // takes it again after every read, until the page lets it go (its
    // "Clear"). Until this page's reading arrives it stays empty, for the
    // reason select() gives, and shows no example value either: an operator
    // could take a grey example for the gateway's setting.
    function track(field, key) {
        _tracked.push({ field: field, key: key, placeholder: field.placeholderText })
        field.text = ""
        field.placeholderText = Qt.binding(function() {
            var entry = saver._tracked.find(function(e) { return e.field === field })
            return saver.hasReading && entry ? entry.placeholder : ""
        })
    }

    // An emptied field is the operator's to fill: its example shows again.
    function untrack(field) {
        var entry = _tracked.find(function(e) { return e.field === field })
        _tracked = _tracked.filter(function(e) { return e.field !== field })
        if (entry)
            field.placeholderText = entry.placeholder
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
        return function() {
            var value = typeof step.value === "function" ? step.value() : step.value
            return "SET " + step.key + " " + value
        }
    }

    // A second save while the first one is under way would interleave the
    // two; the operator is shown the save under way instead.
    function run(savingText, steps, gap) {
        if (sending) {
            statusPopup.open()
            return false
        }
        sequence.gap = gap
        sequence.chainGuard = gap === 0
        sequence.guard = watchdogInterval
        busy = true
        showStatus(savingText, Palette.saving)
        if (sequence.start(steps.map(command)))
            return true
        busy = false
        showStatus(failureText, "red")
        return false
    }

    // Sends the first SET at once, each further one and then "SAVE" `gap` ms
    // after the previous; a refusal or a reply not in by then stops it.
    function savePaced(savingText, steps, gap) {
        return run(savingText, steps, gap)
    }

    // Sends each SET only once the gateway acknowledged the previous one, so
    // that "SAVE" never overtakes the last of them; one watchdog covers the
    // whole chain. A step's value may be a function, read when it is sent.
    function saveAcknowledged(savingText, steps) {
        return run(savingText, steps, 0)
    }

    function outcomeText() {
        switch (sequence.outcome) {
        case ChangeSequence.Saved:
            return successText
        case ChangeSequence.NoAnswer:
            return noResponseText
        case ChangeSequence.Refused:
            return failureText + ": the gateway refused " + sequence.failedKey
                    + " (\"" + sequence.gatewayText + "\")"
        case ChangeSequence.NotSaved:
            return failureText
        case ChangeSequence.NotSent:
            return failureText + ": not connected to the gateway; nothing was sent"
        default:
            return failureText + ": the connection to the gateway was lost"
        }
    }

    ChangeSequence {
        id: sequence
        bridge: tcpClient
        onStepSent: function(index, command) {
            if (command === "SAVE") {
                saver.pendingKey = ""
                saver.saveSent()
            } else if (gap === 0) {
                saver.pendingKey = command.split(" ")[1]
            }
        }
        onFinished: {
            saver.pendingKey = ""
            saver.busy = false
            saver.showStatus(saver.outcomeText(),
                             outcome === ChangeSequence.Saved ? "green" : "red")
        }
    }

    Timer {
        id: readTimer
        interval: 1000
        onTriggered: {
            saver._reading = true
            tcpClient.sendCommand("GETALL")
            if (!saver.hasReading)
                readGuard.restart()
        }
    }

    Timer {
        id: readGuard
        interval: saver.readGuardInterval
        onTriggered: saver.readFailed = true
    }

    Connections {
        target: tcpClient
        function onConnectedChanged() {
            if (tcpClient.connected)
                readTimer.start()
        }
        function onDataMapChanged() {
            if (!saver._reading || Object.keys(tcpClient.dataMap).length === 0)
                return
            readGuard.stop()
            saver.readFailed = false
            saver.hasReading = true
            for (var i = 0; i < saver._tracked.length; ++i)
                saver._tracked[i].field.text = saver.mapValue(saver._tracked[i].key)
            if (tcpClient.currentCommand === "GETALL")
                saver.applyReading()
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
