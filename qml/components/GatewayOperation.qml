import QtQuick
import Kestrelvane.Link

// One change to the gateway's device list, from its command to the outcome:
// the command goes out, the gateway's acknowledgement ("added", "modified"
// or "deleted") is answered with "SAVE", and only a confirmed save counts as
// success. A refusal, a refused save, a dropped link or a gateway silent past
// the guard ends the wait as a failure with its reason.
//
// With an empty `deviceId` the commands go over the direct command link;
// with a gateway's identifier they go through the broker to its config topic.
Item {
    id: op

    property alias deviceId: sequence.deviceId
    readonly property bool cloud: deviceId.length > 0
    // "add", "modify" or "delete" while a change waits for the gateway.
    property string kind: ""
    readonly property bool pending: kind.length > 0
    // Through the broker a command crosses the gateway's cellular link twice.
    property int guardInterval: cloud ? 20000 : 10000

    signal succeeded(string kind)
    signal failed(string kind, string reason)

    // A read of the page's own, outside the change.
    function send(command) {
        if (cloud)
            tcpClient.sendConfigRequest(command, deviceId)
        else
            tcpClient.sendCommand(command)
    }

    function start(command, what) {
        kind = what
        sequence.start([command])
    }

    // Through the broker a refusal of "SAVE" and a lost message look alike
    // to the operator: the change was not confirmed.
    function reason() {
        var saving = sequence.failedCommand === "SAVE"
        var answer = "The gateway answered: " + sequence.gatewayText
        switch (sequence.outcome) {
        case ChangeSequence.NotSent:
            return cloud ? "Not connected to the broker; nothing was sent."
                         : "Not connected to the gateway; nothing was sent."
        case ChangeSequence.Refused:
            return answer
        case ChangeSequence.NotSaved:
            return cloud ? "The gateway did not confirm the change."
                         : "The gateway did not save the change to flash."
        case ChangeSequence.NoAnswer:
            if (!saving && sequence.gatewayText.length > 0)
                return answer
            return cloud ? "The gateway did not confirm the change." : "No answer from the gateway."
        default:
            return cloud ? "The connection to the broker was lost before the gateway confirmed the change."
                         : "The connection to the gateway was lost."
        }
    }

    ChangeSequence {
        id: sequence
        bridge: tcpClient
        guard: op.guardInterval
        onFinished: {
            var what = op.kind
            op.kind = ""
            if (outcome === ChangeSequence.Saved)
                op.succeeded(what)
            else
                op.failed(what, op.reason())
        }
    }
}
