import QtQuick
import QtTest

// The tools above the log views, on the direct log page over the simulator's
// monitor stream: filter, time stamps, and a pause that holds what the view
// shows while the log fills and is emptied by the page's line limit.
LogPageCase {
    name: "LogTools"

    function openLog() {
        var address = gateway.start()
        verify(address.length > 0)
        gateway.setMonitorRate(-1)
        openWindow()
        window.currentdeviceIP = address
        window.ipSelected = true
        loadPage("qrc:/Log.qml")
        tryVerify(function() { return gateway.connectionCount(1) === 1 }, 3000, "no monitor link")
    }

    // The view shows exactly these lines (rows are laid out after the
    // model changes, so wait for their texts as well as their count).
    function expectRows(lines) {
        var list = logView().listView
        tryVerify(function() {
            if (list.count !== lines.length)
                return false
            for (var i = 0; i < lines.length; ++i) {
                var row = list.itemAtIndex(i)
                if (!row || row.text !== lines[i])
                    return false
            }
            return true
        }, 3000, "view shows " + list.count + " lines, not " + JSON.stringify(lines))
    }

    function type(text) {
        for (var i = 0; i < text.length; ++i)
            keyClick(text[i])
    }

    function cleanup() {
        window = null
        page = null
        tcpClient.disconnectFromDevice()
        tcpClient.clearTerminalLog()
        gateway.stop()
    }

    function test_filterTimeStampsAndPause() {
        openLog()
        gateway.sendRaw(1, "alpha 1\nbeta 2\n")
        expectRows(["alpha 1", "beta 2"])

        click("logFilter")
        type("BETA")
        expectRows(["beta 2"])
        keyClick(Qt.Key_A, Qt.ControlModifier)
        keyClick(Qt.Key_Backspace)
        expectRows(["alpha 1", "beta 2"])

        click("logTimeToggle")
        tryVerify(function() {
            var row = logView().listView.itemAtIndex(0)
            return row && /^\d\d:\d\d:\d\d\.\d\d\d  alpha 1$/.test(row.text)
        }, 2000, "no time stamp before the line")
        click("logTimeToggle")

        click("logPause")
        compare(named("logPause").text, "Resume")
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
