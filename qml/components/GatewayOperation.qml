import QtQuick

// One change to the gateway's device list, from its command to the outcome:
// the command goes out, the gateway's acknowledgement ("added", "modified" or
// "deleted") is answered with "SAVE", and only a confirmed save counts as
// success. A refused save, a dropped link or a gateway that stays silent
// past the guard ends the wait as a failure, so a page never reports a
// change it cannot vouch for and never waits for ever.
Item {
    id: op

    // "add", "modify" or "delete" while a change waits for the gateway.
    property string kind: ""
    readonly property bool pending: kind.length > 0
    // "ack" until the gateway acknowledged the command, then "save".
    property string phase: ""
    property int guardInterval: 10000
    // The last line the gateway answered that was not the acknowledgement:
    // usually its reason for refusing.
    property string lastReply: ""

    signal succeeded(string kind)
    signal failed(string kind, string reason)

    function start(command, what) {
        kind = what
        phase = "ack"
        lastReply = ""
        guard.restart()
        tcpClient.sendCommand(command)
    }

    function finish() {
        guard.stop()
        var what = kind
        kind = ""
        phase = ""
        return what
    }

    function acknowledged(what) {
        if (phase !== "ack" || kind !== what)
            return
        phase = "save"
        guard.restart()
        tcpClient.sendCommand("SAVE")
    }

    Timer {
        id: guard
        interval: op.guardInterval
        onTriggered: {
            var reason = op.lastReply.length > 0 ? "The gateway answered: " + op.lastReply
                                                 : "No answer from the gateway."
            op.failed(op.finish(), reason)
        }
    }

    Connections {
        target: tcpClient
        function onDeviceAddedSuccessfully(name) { op.acknowledged("add") }
        function onDeviceModifiedSuccessfully() { op.acknowledged("modify") }
        function onDeviceDeletedSuccessfully() { op.acknowledged("delete") }
        function onResponseReceived(data) {
            if (op.phase === "ack")
                op.lastReply = data
        }
        function onSaveCompleted() {
            if (op.phase === "save")
                op.succeeded(op.finish())
        }
        function onNotSavedFully() {
            if (op.phase === "save")
                op.failed(op.finish(), "The gateway did not save the change to flash.")
        }
        function onConnectedChanged() {
            if (!tcpClient.connected && op.pending)
                op.failed(op.finish(), "The connection to the gateway was lost.")
        }
    }
}
