import QtQuick
import QtTest
import "qrc:/LogText.js" as LogText
import "qrc:/components"

// The log views' rules on their own: counting pieces at line feeds, telling
// an append from a replacement, and the view that builds on both.
TestCase {
    id: testCase
    name: "LogText"
    when: windowShown
    width: 400
    height: 300

    function test_pieceCount_data() {
        return [
            { tag: "empty text is one piece", text: "", stopAt: 0, pieces: 1 },
            { tag: "text without a line feed", text: "abc", stopAt: 0, pieces: 1 },
            { tag: "a final line feed adds the empty piece", text: "abc\n", stopAt: 0, pieces: 2 },
            { tag: "three lines", text: "a\nb\nc\n", stopAt: 0, pieces: 4 },
            { tag: "empty lines count", text: "\n\n\n", stopAt: 0, pieces: 4 },
            { tag: "carriage returns are not breaks", text: "a\r\nb\r", stopAt: 0, pieces: 2 },
            { tag: "counting stops at the limit", text: "\n\n\n\n\n\n", stopAt: 3, pieces: 3 },
            { tag: "below the limit counts fully", text: "a\nb", stopAt: 5, pieces: 2 },
            { tag: "undefined as empty", text: undefined, stopAt: 0, pieces: 1 }
        ]
    }

    function test_pieceCount(data) {
        compare(LogText.pieceCount(data.text, data.stopAt), data.pieces)
    }

    function test_reachesLimit_data() {
        var lines = function(n) { var s = ""; for (var i = 0; i < n; ++i) s += "x" + i + "\n"; return s }
        return [
            { tag: "498 lines stay", text: lines(498), limit: 500, reached: false },
            { tag: "499 lines make 500 pieces", text: lines(499), limit: 500, reached: true },
            { tag: "499 lines without the last line feed", text: lines(499).slice(0, -1), limit: 500, reached: false },
            { tag: "far beyond the limit", text: lines(2000), limit: 500, reached: true },
            { tag: "no limit", text: lines(2000), limit: 0, reached: false }
        ]
    }

    function test_reachesLimit(data) {
        compare(LogText.reachesLimit(data.text, data.limit), data.reached)
    }

    function test_appendedPart_data() {
        return [
            { tag: "grew at its end", shown: "a\n", text: "a\nb\n", part: "b\n" },
            { tag: "unchanged", shown: "a\n", text: "a\n", part: "" },
            { tag: "both empty", shown: "", text: "", part: "" },
            { tag: "first text", shown: "", text: "a\n", part: null },
            { tag: "cleared", shown: "a\n", text: "", part: null },
            { tag: "cleared and refilled, longer", shown: "a\n", text: "b\nc\n", part: null },
            { tag: "same length, other text", shown: "a\n", text: "b\n", part: null },
            { tag: "shortened", shown: "a\nb\n", text: "a\n", part: null }
        ]
    }

    function test_appendedPart(data) {
        compare(LogText.appendedPart(data.shown, data.text), data.part)
    }

    Component {
        id: viewComponent
        LogView {
            width: 300
            height: 200
            placeholderText: "Nothing yet"
        }
    }

    function test_viewFollowsAppendsReplacementsAndClears() {
        var view = createTemporaryObject(viewComponent, testCase)
        compare(view.shownText, "")
        var log = ""
        for (var i = 0; i < 60; ++i) {
            log += "line " + i + "\n"
            view.source = log
        }
        compare(view.shownText, log)
        compare(view.textArea.cursorPosition, view.textArea.length)
        var f = view.flickable
        verify(f.contentHeight > f.height)
        tryVerify(function() { return f.contentY >= f.contentHeight - f.height - 2 }, 2000)

        view.source = "other\n"
        compare(view.shownText, "other\n")
        view.source = ""
        compare(view.shownText, "")
        compare(view.textArea.length, 0)
    }

    function test_viewShowsMarkupAsPlainText_data() {
        return [
            { tag: "bold tag", text: "<b>bold</b>\n" },
            { tag: "image tag", text: "<img src=\"x.png\">\n" },
            { tag: "entity", text: "a &amp; b\n" },
            { tag: "appended markup", text: "plain\n<i>x</i>\n" }
        ]
    }

    function test_viewShowsMarkupAsPlainText(data) {
        var view = createTemporaryObject(viewComponent, testCase)
        var first = data.text.split("\n")[0] + "\n"
        view.source = first
        view.source = data.text
        compare(view.shownText, data.text)
        compare(view.textArea.textFormat, TextEdit.PlainText)
        compare(view.textArea.length, data.text.length)
    }
}
