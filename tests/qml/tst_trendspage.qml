import QtQuick
import QtTest

// The trends pages of both modes: the values the gateway sends become
// series to pick, the picked ones are drawn and can be paused.
PageCase {
    name: "Trends"

    function test_seriesFromTheGateway_data() {
        return [
            { tag: "direct, monitor registers", direct: true,
              send: "[RS485] DATA port1 'Main meter'\n[0x0010] 16256 0 17096 0 7\n",
              series: ["Main meter 0x0010", "Main meter 0x0012", "Main meter 0x0014"], pick: 1, value: 100 },
            // A slave the device list (not read here) does not name.
            { tag: "cloud, port topic members", direct: false,
              send: "{\"slave\":1,\"V\":230.5,\"name\":\"m\"}",
              series: ["port1 slave 1 V"], pick: 0, value: 230.5 }
        ]
    }

    function test_seriesFromTheGateway(data) {
        if (data.direct) {
            openDirect("qrc:/Trends.qml")
            tryVerify(function() { return gateway.connectionCount(1) === 1 }, 3000, "no monitor link")
            gateway.sendRaw(1, data.send)
        } else {
            openCloud("qrc:/TrendsMqtt.qml")
            cloud.publish(topic("pub/port1"), data.send)
        }
        var list = named("seriesList")
        tryCompare(list, "count", data.series.length, 5000)
        function row(i) {
            tryVerify(function() { return list.itemAtIndex(i) !== null }, 2000, "row " + i)
            return list.itemAtIndex(i)
        }
        for (var i = 0; i < data.series.length; ++i)
            compare(row(i).name, data.series[i])

        var plot = named("trendPlot")
        mouseClick(row(data.pick))
        compare(plot.series, [data.series[data.pick]])
        // The axis scales to the picked series' value.
        tryVerify(function() { return plot.minimum < data.value && data.value < plot.maximum }, 2000,
                  "axis " + plot.minimum + " to " + plot.maximum)
        // The value under the pointer, at the newest sample.
        mouseMove(plot, plot.width - 1, plot.height / 2)
        var readout = named("trendReadout")
        tryVerify(function() { return readout.visible && readout.values.length === 1 }, 2000, "no readout")
        compare(readout.values[0].value, String(data.value))

        click("pauseTrends")
        verify(plot.paused)
    }
}
