import QtQuick 2.7
import QtQuick.Window 2.2
import QtQuick.Controls 1.4
import QtQuick.Controls.Styles 1.4
import com.tivor.defines 1.0
import com.tivor.desktop 1.0
import components 1.0

// The settings window: the tester's clock and its scales. Everything here is local until
// "ПРИМЕНИТЬ"; the main window then sends the date and the scales.
Window {
    id: settings

    property var scalesModel

    signal acceptButtonClicked(var date)
    signal cancelButtonClicked

    // When the tester gave no readable time, start from the computer's clock instead, so
    // that applying never sends a time made of an invalid date.
    function startingDate(date) {
        if (date instanceof Date && !isNaN(date.getTime()))
            return new Date(date.getTime())
        return new Date()
    }

    function setDate(date) {
        var start = startingDate(date)
        var page = dateTab.item
        page.calendar.selectedDate = start
        page.calendar.visibleYear = start.getFullYear()
        page.calendar.visibleMonth = start.getMonth()
        page.clock.date = start
    }

    // The calendar's day with the clock's time.
    function dateToApply() {
        var day = dateTab.item.calendar.selectedDate
        var clock = dateTab.item.clock
        return new Date(day.getFullYear(), day.getMonth(), day.getDate(),
                        clock.hours, clock.minutes, clock.seconds)
    }

    function apply() {
        acceptButtonClicked(dateToApply())
        visible = false
    }

    function cancel() {
        cancelButtonClicked()
        visible = false
    }

    title: "Settings"
    modality: Qt.ApplicationModal
    flags: Qt.SplashScreen
    // Without a compositor a see-through window shows black: only the panel's size then, with
    // the window's own colour beside the tabs.
    color: Desktop.composited ? "transparent" : Defines.windowBackground
    width: Desktop.composited ? root.width : panel.width
    height: Desktop.composited ? root.height : panel.height

    onVisibleChanged: {
        if (visible) {
            requestActivate()
            tabView.forceActiveFocus()
        }
    }

    // A shortcut, not a key handler: once a scale field had the focus, the keys no longer
    // pass through the tabs.
    Shortcut {
        sequence: "Esc"
        enabled: settings.visible
        onActivated: settings.visible = false
    }

    Overlay {}

    Item {
        id: panel
        objectName: "panel"

        anchors.centerIn: parent
        width: Defines.settingsWidth
        height: tabView.currentIndex === 1 ? Defines.settingsHeight2 : Defines.settingsHeight

        TabView {
            id: tabView
            objectName: "tabView"

            anchors.fill: parent
            focus: true
            style: TabStyle {}


            Tab {
                id: dateTab
                title: qsTr("Дата/время")

                Item {
                    id: datePage

                    property alias calendar: calendar
                    property alias clock: clock

                    // A click beside the controls ends typing in the time field.
                    MouseArea {
                        anchors.fill: parent
                        onClicked: datePage.forceActiveFocus()
                    }

                    Calendar {
                        id: calendar
                        objectName: "calendar"
                        x: 20
                        y: 30
                        width: Defines.calendarWidth
                        height: Defines.calendarHeight
                        style: CalendarStyle {
                            gridVisible: false
                        }
                    }

                    SettingsClock {
                        id: clock
                        objectName: "clock"
                        anchors.right: parent.right
                        anchors.rightMargin: 30
                        y: 70
                    }
                }
            }

            Tab {
                title: qsTr("Шкалы")
                active: true

                SettingsTabScales {
                    objectName: "scalesTab"
                    anchors.fill: parent
                    anchors.leftMargin: 20
                    anchors.rightMargin: 20
                    anchors.topMargin: 20
                    scalesModel: settings.scalesModel
                }
            }
        }

        Rectangle {
            anchors.bottom: applyButton.top
            anchors.bottomMargin: 10
            anchors.horizontalCenter: parent.horizontalCenter
            width: parent.width - 20
            height: 1
            color: "#ed1c24"
        }

        RedButton {
            id: applyButton
            objectName: "applyButton"
            anchors.right: parent.right
            anchors.rightMargin: 20
            anchors.bottom: parent.bottom
            anchors.bottomMargin: 20
            colorMode: 1
            text: qsTr("ПРИМЕНИТЬ")
            onClicked: settings.apply()
        }

        RedButton {
            id: cancelButton
            objectName: "cancelButton"
            anchors.right: applyButton.left
            anchors.rightMargin: 15
            anchors.bottom: applyButton.bottom
            colorMode: 0
            text: qsTr("ОТМЕНА")
            onClicked: settings.cancel()
        }

        RedButton {
            id: nowButton
            objectName: "nowButton"
            anchors.right: cancelButton.left
            anchors.rightMargin: 25
            anchors.bottom: applyButton.bottom
            width: Defines.bigButtonWidth
            colorMode: 0
            text: qsTr("Установить текущее Дату/Время")
            onClicked: settings.setDate(new Date())
        }
    }
}
