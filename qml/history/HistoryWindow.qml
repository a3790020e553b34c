import QtQuick 2.7
import QtQuick.Window 2.2
import QtQuick.Controls 1.4
import QtQuick.Controls.Styles 1.4
import com.tivor.defines 1.0
import components 1.0

// The archive: every measurement the program received, found by date, tester, scale and
// context, in series; and the journal of what was written to the tester. A series or a
// search opens into the main table as a workbook does.
Window {
    id: history

    property var recorder
    // The series picked on the left; -1: every reading the search finds.
    property int seriesId: -1
    property bool showJournal: false

    signal opened(int rows)

    title: qsTr("Архив измерений")
    width: 900
    height: 560
    minimumWidth: 720
    minimumHeight: 400
    color: Defines.windowBackground

    // The search as the fields say; a date that is no date is left out.
    function filter() {
        var f = {}
        var from = Date.fromLocaleDateString(Qt.locale(), fromField.text.trim(), "dd.MM.yyyy")
        var to = Date.fromLocaleDateString(Qt.locale(), toField.text.trim(), "dd.MM.yyyy")
        if (!isNaN(from.getTime()))
            f.from = from
        if (!isNaN(to.getTime()))
            f.to = to
        var texts = { tester: testerField, scale: scaleField, part: partField, lot: lotField,
                      inspector: inspectorField, text: textField }
        for (var key in texts) {
            var value = texts[key].text.trim()
            if (value !== "")
                f[key] = value
        }
        return f
    }

    function search() {
        seriesId = -1
        recorder.series.setFilter(filter())
        recorder.readings.setFilter(filter())
    }

    function pickSeries(id) {
        seriesId = id
        var f = filter()
        f.seriesId = id
        recorder.readings.setFilter(f)
    }

    onVisibleChanged: {
        recorder.historyShown = visible
        if (visible)
            search()
    }

    Column {
        anchors.fill: parent
        anchors.margins: 10
        spacing: 8

        Flow {
            id: filters
            width: parent.width
            spacing: 6
            HistoryField { id: fromField; onSearch: history.search(); objectName: "historyFrom"; width: 116; placeholderText: qsTr("с дд.мм.гггг") }
            HistoryField { id: toField; onSearch: history.search(); objectName: "historyTo"; width: 116; placeholderText: qsTr("по дд.мм.гггг") }
            HistoryField { id: testerField; onSearch: history.search(); objectName: "historyTester"; placeholderText: qsTr("Прибор") }
            HistoryField { id: scaleField; onSearch: history.search(); objectName: "historyScale"; width: 60; placeholderText: qsTr("Шкала") }
            HistoryField { id: partField; onSearch: history.search(); objectName: "historyPart"; placeholderText: qsTr("Деталь") }
            HistoryField { id: lotField; onSearch: history.search(); objectName: "historyLot"; placeholderText: qsTr("Партия") }
            HistoryField { id: inspectorField; onSearch: history.search(); objectName: "historyInspector"; placeholderText: qsTr("Оператор") }
            HistoryField { id: textField; onSearch: history.search(); objectName: "historyText"; width: 120; placeholderText: qsTr("Текст") }
            RedButton {
                objectName: "historySearch"
                text: qsTr("НАЙТИ")
                onClicked: history.search()
            }
        }

        Row {
            width: parent.width
            height: parent.height - filters.height - buttons.height - 2 * parent.spacing
            spacing: 10

            // The series, newest first.
            Rectangle {
                width: 330
                height: parent.height
                color: "white"
                border.color: "#E5E5E5"

                ListView {
                    id: seriesList
                    objectName: "historySeries"
                    anchors.fill: parent
                    anchors.margins: 1
                    clip: true
                    model: history.recorder ? history.recorder.series : null
                    delegate: Rectangle {
                        width: seriesList.width
                        height: 44
                        color: model.seriesId === history.seriesId ? "#FDE3E4" : "white"
                        Column {
                            anchors.verticalCenter: parent.verticalCenter
                            x: 8
                            Text {
                                text: model.started + "  " + model.tester + "  "
                                      + [qsTr("память"), qsTr("с прибора"), qsTr("калибровка")][model.source]
                                      + ", " + qsTr("замеров: %1").arg(model.count)
                                font.pixelSize: Defines.baseFontSize
                            }
                            Text {
                                width: seriesList.width - 16
                                elide: Text.ElideRight
                                text: [model.part, model.lot, model.inspector, model.note]
                                      .filter(function(t) { return t !== "" }).join(" · ")
                                color: "#4B4B4B"
                                font.pixelSize: Defines.baseFontSize - 1
                            }
                        }
                        MouseArea {
                            anchors.fill: parent
                            onClicked: history.pickSeries(model.seriesId)
                        }
                    }
                }
            }

            // The readings of the series or the search, or the journal.
            Rectangle {
                width: parent.width - 340
                height: parent.height
                color: "white"
                border.color: "#E5E5E5"

                ListView {
                    id: readingList
                    objectName: "historyReadings"
                    anchors.fill: parent
                    anchors.margins: 1
                    clip: true
                    visible: !history.showJournal
                    model: history.recorder ? history.recorder.readings : null
                    delegate: Text {
                        width: readingList.width
                        leftPadding: 8
                        height: 22
                        verticalAlignment: Text.AlignVCenter
                        elide: Text.ElideRight
                        font.pixelSize: Defines.baseFontSize
                        text: model.measuredAt + "   " + model.hardnessText + " " + model.scale
                              + "   " + model.tester
                              + (model.part !== "" ? "   " + model.part : "")
                              + (model.lot !== "" ? " · " + model.lot : "")
                    }
                }

                ListView {
                    id: journalList
                    objectName: "historyJournal"
                    anchors.fill: parent
                    anchors.margins: 1
                    clip: true
                    visible: history.showJournal
                    model: history.recorder ? history.recorder.journal : null
                    delegate: Text {
                        width: journalList.width
                        leftPadding: 8
                        height: 22
                        verticalAlignment: Text.AlignVCenter
                        elide: Text.ElideRight
                        font.pixelSize: Defines.baseFontSize
                        text: model.at + "   " + model.tester + "   " + model.details
                    }
                }
            }
        }

        Row {
            id: buttons
            spacing: 10
            RedButton {
                objectName: "historyOpen"
                width: Math.max(Defines.buttonWidth, textFont.pixelSize * 13)
                text: qsTr("ОТКРЫТЬ В ТАБЛИЦЕ")
                enabled: !history.showJournal
                onClicked: history.opened(history.recorder.openShown())
            }
            RedButton {
                objectName: "historyJournalButton"
                text: history.showJournal ? qsTr("ЗАМЕРЫ") : qsTr("ЖУРНАЛ")
                onClicked: history.showJournal = !history.showJournal
            }
            Text {
                anchors.verticalCenter: parent.verticalCenter
                text: history.recorder && !history.recorder.archive.available
                      ? history.recorder.archive.problem
                      : history.recorder ? qsTr("Найдено: %1").arg(history.recorder.readings.count) : ""
                font.pixelSize: Defines.baseFontSize
            }
        }
    }
}
