import QtQuick
import QtQuick.Controls
import QtQuick.Dialogs
import QtQuick.Layouts
import Kestrelvane
import "Palette.js" as Palette

// The tools above a log view: a filter, a time-stamp toggle, pause and
// resume of the view (the log keeps filling; the badge counts what came
// meanwhile) and recording every line from now on to a file. Give it the
// log store as `lines` and show `shownLines` in the view.
ColumnLayout {
    id: root

    property var lines: null
    property int fontSize: 13
    readonly property alias shownLines: viewModel
    readonly property alias showTime: timeToggle.checked
    readonly property alias recorder: recorder

    spacing: 4

    LogViewModel {
        id: viewModel
        store: root.lines
        filterText: filterField.text
    }
    LogRecorder {
        id: recorder
        store: root.lines
    }

    RowLayout {
        Layout.fillWidth: true
        spacing: 6

        DarkTextField {
            id: filterField
            objectName: "logFilter"
            Layout.fillWidth: true
            Layout.minimumWidth: 60
            implicitHeight: 32
            font.pixelSize: root.fontSize
            placeholderText: "Filter"
        }
        SecondaryButton {
            id: timeToggle
            objectName: "logTimeToggle"
            checkable: true
            implicitWidth: 58
            implicitHeight: 32
            fontSize: root.fontSize
            text: "Time"
            fill: checked ? Palette.accent : "#3a5068"
            labelColor: checked ? Palette.window : Palette.caption
        }
        SecondaryButton {
            id: pauseButton
            objectName: "logPause"
            implicitWidth: 76
            implicitHeight: 32
            fontSize: root.fontSize
            text: viewModel.paused ? "Resume" : "Pause"
            onClicked: viewModel.paused = !viewModel.paused

            Rectangle {
                objectName: "logPausedBadge"
                visible: viewModel.paused && viewModel.linesWhilePaused > 0
                anchors { right: parent.right; top: parent.top; rightMargin: -6; topMargin: -6 }
                width: Math.max(18, badgeText.implicitWidth + 8)
                height: 18
                radius: 9
                color: "#e67e22"
                Text {
                    id: badgeText
                    objectName: "logPausedCount"
                    anchors.centerIn: parent
                    text: viewModel.linesWhilePaused > 9999 ? "9999+" : viewModel.linesWhilePaused
                    color: "white"
                    font.pixelSize: 11
                    font.bold: true
                }
            }
        }
        SecondaryButton {
            objectName: "logRecord"
            implicitWidth: 86
            implicitHeight: 32
            fontSize: root.fontSize
            text: recorder.recording ? "Stop" : "Record…"
            fill: recorder.recording ? Palette.danger : "#3a5068"
            labelColor: recorder.recording ? "white" : Palette.caption
            onClicked: recorder.recording ? recorder.stop() : recordDialog.open()
        }
    }

    MessageLine {
        objectName: "logRecordStatus"
        Layout.fillWidth: true
        horizontalAlignment: Text.AlignLeft
        success: recorder.error.length === 0
        font.pixelSize: 12
        elide: Text.ElideMiddle
        wrapMode: Text.NoWrap
        text: recorder.error.length > 0 ? recorder.error
              : recorder.recording ? "Recording to " + recorder.filePath + " (" + recorder.linesRecorded + " lines)"
              : ""
    }

    FileDialog {
        id: recordDialog
        title: "Record the log to a file"
        fileMode: FileDialog.SaveFile
        defaultSuffix: "log"
        nameFilters: ["Log files (*.log *.txt)", "All files (*)"]
        // Lines are appended: an existing file keeps what it holds.
        options: FileDialog.DontConfirmOverwrite
        onAccepted: recorder.start(selectedFile)
    }
}
