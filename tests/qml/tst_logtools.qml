import QtQuick
import QtTest

// The tools above the log views, on the direct log page over the simulator's
// monitor stream: filter, time stamps, and a pause that holds what the view
// shows while the log fills and is emptied by the page's line limit.
PageCase {
    name: "LogTools"

    // The view shows exactly these lines (rows are laid out after the
    // model changes, so wait for their texts as well as their count).
    function expectRows(lines) {
        var list = named("logView").listView
        tryVerify(function() {
            for (var i = 0; i < lines.length; ++i) {
                var row = list.itemAtIndex(i)
                if (!row || row.text !== lines[i])
                    return false
            }
            return list.count === lines.length
        }, 3000, "view shows " + list.count + " lines, not " + JSON.stringify(lines))
    }

    function test_filterTimeStampsAndPause() {
        openDirect("qrc:/Log.qml")
        tryVerify(function() { return gateway.connectionCount(1) === 1 }, 3000, "no monitor link")
        gateway.sendRaw(1, "alpha 1\nbeta 2\n")
        expectRows(["alpha 1", "beta 2"])

        type("logFilter", "BETA")
        expectRows(["beta 2"])
        type("logFilter", "")
        expectRows(["alpha 1", "beta 2"])

        click("logTimeToggle")
        tryVerify(function() {
            var row = named("logView").listView.itemAtIndex(0)
            return row && /^\d\d:\d\d:\d\d\.\d\d\d  alpha 1$/.test(row.text)
        }, 2000, "no time stamp before the line")
        click("logTimeToggle")

        click("logPause")
        gateway.sendRaw(1, "gamma 3\ndelta 4\n")
        tryCompare(named("logPausedCount"), "text", "2")
        verify(named("logPausedBadge").visible)
        // The page's line limit empties the log; the paused view keeps its lines.
        tcpClient.clearTerminalLog()
        gateway.sendRaw(1, "epsilon 5\n")
        tryCompare(named("logPausedCount"), "text", "3")
        expectRows(["alpha 1", "beta 2"])

        click("logPause")
        verify(!named("logPausedBadge").visible)
        expectRows(["epsilon 5"])
    }
}
