import QtQuick
import QtTest
import QtQuick.Controls

// The About entry of both side menus: it opens the tool's name and version
// over the page shown, which stays as it was.
TestCase {
    id: testCase
    name: "About"
    when: windowShown

    property var window

    function init() {
        Qt.application.version = "1.2.3"
        var component = Qt.createComponent("qrc:/main.qml")
        compare(component.status, Component.Ready, component.errorString())
        window = createTemporaryObject(component, testCase)
    }

    function test_aboutOpensOverThePageShown_data() {
        return [
            { tag: "direct menu", menu: "sideMenu", mode: "ipSelected" },
            { tag: "cloud menu", menu: "sideMenuMqtt", mode: "idSelected" }
        ]
    }

    function test_aboutOpensOverThePageShown(data) {
        window[data.mode] = true
        var menu = null
        tryVerify(function() {
            menu = findChild(window.contentItem, data.menu)
            return menu !== null && menu.visible && menu.width > 0
        }, 3000, "menu not shown")
        var list = findChild(menu, "entryList")
        list.positionViewAtEnd()
        var item = null
        tryVerify(function() {
            item = findChild(menu, "menuEntry_About")
            return item !== null && item.width > 0
        }, 3000, "no About entry")
        waitForRendering(window.contentItem, 250)
        var page = window.pageLoader.source.toString()
        var heads = [window.pagehead, window.pagehead2]

        mouseClick(item)
        var dialog = findChild(menu, "aboutDialog")
        tryCompare(dialog, "opened", true)
        compare(findChild(dialog.contentItem, "aboutVersion").text, "Version 1.2.3")
        compare(window.pageLoader.source.toString(), page)
        compare([window.pagehead, window.pagehead2], heads)
        verify(!item.active)
    }
}
