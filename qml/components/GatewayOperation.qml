import QtQuick

// One change to the gateway's device list, from its command to the outcome:
// the command goes out, the gateway's acknowledgement ("added", "modified" or
// "deleted") is answered with "SAVE", and only a confirmed save counts as
// success. A refused save, a dropped link or a gateway that stays silent
// past the guard ends the wait as a failure, so a page never reports a
// change it cannot vouch for and never waits for ever.
//
// With an empty `deviceId` the commands go over the direct command link;
// with a gateway's identifier they go through the broker to its config topic.
Item {
    id: op

    property string deviceId: ""
    readonly property bool cloud: deviceId.length > 0
    // "add", "modify" or "delete" while a change waits for the gateway.
    property string kind: ""
    readonly property bool pending: kind.length > 0
    // "ack" until the gateway acknowledged the command, then "save".
    property string phase: ""
    // Through the broker a command crosses the gateway's cellular link twice.
    property int guardInterval: cloud ? 20000 : 10000
    // The last line the gateway answered that was not the acknowledgement:
    // usually its reason for refusing.
    property string lastReply: ""

    signal succeeded(string kind)
    signal failed(string kind, string reason)

    function send(command) {
        if (cloud)
            tcpClient.sendConfigRequest(command, deviceId)
        else
            tcpClient.sendCommand(command)
    }

    function start(command, what) {
        // A command published while the session is down is lost; saying so
        // at once beats a guard that runs out twenty seconds later.
        if (cloud && !tcpClient.connectedmqtt) {
            failed(what, "Not connected to the broker; nothing was sent.")
            return
        }
        kind = what
        phase = "ack"
        lastReply = ""
        guard.restart()
        send(command)
    }

    function finish() {
        guard.stop()
        var what = kind
        kind = ""
        phase = ""
        return what
    }

    function acknowledged(what, viaCloud) {
        if (viaCloud !== cloud || phase !== "ack" || kind !== what)
            return
        phase = "save"
        guard.restart()
        send("SAVE")
    }

    // A save confirmation counts only while this operation waits for one:
    // it may belong to another page's change or another tool's.
    function saved(viaCloud) {
        if (viaCloud === cloud && phase === "save")
            succeeded(finish())
    }

    Timer {
        id: guard
        interval: op.guardInterval
        // Through the broker a refusal and a lost message look the same.
        onTriggered: {
            var reason = op.lastReply.length > 0 ? "The gateway answered: " + op.lastReply
                       : op.cloud ? "The gateway did not confirm the change."
                                  : "No answer from the gateway."
            op.failed(op.finish(), reason)
        }
    }

    Connections {
        target: tcpClient
        function onDeviceAddedSuccessfully(name) { op.acknowledged("add", false) }
        function onDeviceModifiedSuccessfully() { op.acknowledged("modify", false) }
        function onDeviceDeletedSuccessfully() { op.acknowledged("delete", false) }
        function onSaveCompleted() { op.saved(false) }
        function onDeviceAddedSuccessfullyMqtt(name) { op.acknowledged("add", true) }
        function onDeviceModifiedSuccessfullyMqtt() { op.acknowledged("modify", true) }
        function onDeviceDeletedSuccessfullyMqtt() { op.acknowledged("delete", true) }
        function onSaveCompletedMqtt() { op.saved(true) }
        function onResponseReceived(data) {
            if (!op.cloud && op.phase === "ack")
                op.lastReply = data
        }
        function onNotSavedFully() {
            if (!op.cloud && op.phase === "save")
                op.failed(op.finish(), "The gateway did not save the change to flash.")
        }
        function onConnectedChanged() {
            if (!op.cloud && !tcpClient.connected && op.pending)
                op.failed(op.finish(), "The connection to the gateway was lost.")
        }
        // The broker session reconnects by itself, but an answer sent while
        // it was down is gone: the outcome cannot be known any more.
        function onConnectedChangedmqtt() {
            if (op.cloud && !tcpClient.connectedmqtt && op.pending)
                op.failed(op.finish(), "The connection to the broker was lost before "
                          + "the gateway confirmed the change.")
        }
    }
}
