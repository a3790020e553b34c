import QtQuick 2.7
import QtTest 1.1
import QtQuick.Window 2.2
import com.tivor.defines 1.0
import settings 1.0

// The settings clock and the date the settings window applies.
Item {
    id: root
    width: 800
    height: 530

    SettingsClock {
        id: clock
    }

    Settings {
        id: settings
    }

    SignalSpy {
        id: acceptSpy
        target: settings
        signalName: "acceptButtonClicked"
    }

    SignalSpy {
        id: cancelSpy
        target: settings
        signalName: "cancelButtonClicked"
    }

    TestCase {
        name: "SettingsClock"
        when: windowShown

        property var timeInput
        property var windowClock
        property var calendar

        function initTestCase() {
            timeInput = findChild(clock, "timeInput")
            windowClock = findChild(settings, "clock")
            calendar = findChild(settings, "calendar")
            verify(timeInput && windowClock && calendar)
        }

        function init() {
            clock.running = false
            windowClock.running = false
            clock.date = new Date(2024, 1, 28, 10, 0, 0)
            clock.counter = 0
            clock.forceActiveFocus()
            settings.visible = false
            acceptSpy.clear()
            cancelSpy.clear()
        }

        // Keys reach the test's window only while it is active; the settings window takes that
        // away whenever it is shown.
        function typeTime(digits) {
            root.Window.window.requestActivate()
            tryVerify(function() { return root.Window.active })
            timeInput.forceActiveFocus()
            wait(0)
            timeInput.text = ""
            timeInput.cursorPosition = 0
            for (var i = 0; i < digits.length; ++i)
                keyClick(digits[i])
        }

        function nearNow(date) {
            return date instanceof Date && Math.abs(date.getTime() - Date.now()) < 5000
        }

        function test_typedTimeBeyondItsRangeCarriesIntoTheNextDay() {
            typeTime("250000")
            keyClick(Qt.Key_Return)

            compare(clock.date.getDate(), 29, "one day on from 28 February 2024, whatever ends editing")
            compare(clock.hours, 1)
            compare(clock.minutes, 0)
            verify(!timeInput.activeFocus, "the field gives up the focus once the time is taken")
            clock.tick()
            compare(timeInput.text, "01:00:00")
        }

        function test_incompleteTimeIsNotApplied_data() {
            return [
                { tag: "three digits", digits: "123" },
                { tag: "five digits", digits: "12345" },
                { tag: "nothing typed", digits: "" }
            ]
        }

        function test_incompleteTimeIsNotApplied(data) {
            typeTime(data.digits)
            keyClick(Qt.Key_Return)
            clock.forceActiveFocus()

            compare(clock.date.getTime(), new Date(2024, 1, 28, 10, 0, 0).getTime())
            clock.tick()
            compare(timeInput.text, "10:00:00", "the next tick shows the clock's own time again")
        }

        function test_fieldIsNotOverwrittenWhileTheUserTypes() {
            typeTime("12")
            for (var i = 0; i < 4; ++i)
                clock.tick()
            compare(timeInput.text, "12::")
            compare(clock.seconds, 2, "the clock runs on underneath, a second per two ticks")
        }

        function test_unreadableTesterTimeStartsFromTheComputerClock_data() {
            return [
                { tag: "invalid date", date: new Date(NaN) },
                { tag: "undefined", date: undefined },
                { tag: "null", date: null }
            ]
        }

        function test_unreadableTesterTimeStartsFromTheComputerClock(data) {
            settings.setDate(data.date)
            verify(nearNow(windowClock.date), "clock: " + windowClock.date)
            verify(!isNaN(calendar.selectedDate.getTime()))

            settings.visible = true
            mouseClick(findChild(settings, "applyButton"))
            compare(acceptSpy.count, 1)
            verify(nearNow(acceptSpy.signalArguments[0][0]),
                   "applied: " + acceptSpy.signalArguments[0][0])
        }

        function test_applyTakesTheCalendarDayAndTheClockTime() {
            settings.setDate(new Date(2023, 11, 31, 23, 59, 58))
            compare(calendar.visibleYear, 2023)
            compare(calendar.visibleMonth, 11)
            compare(findChild(windowClock, "timeInput").text, "23:59:58", "shown before any tick")
            calendar.selectedDate = new Date(2024, 0, 15)
            windowClock.commitTypedTime("25:00:00")

            settings.visible = true
            mouseClick(findChild(settings, "applyButton"))

            compare(acceptSpy.count, 1)
            compare(acceptSpy.signalArguments[0][0].getTime(), new Date(2024, 0, 15, 1, 0, 0).getTime(),
                    "the typed hours carry the clock on, not the chosen day")
            verify(!settings.visible)
            compare(cancelSpy.count, 0)
        }

        function test_nowButtonJumpsToTheComputerClock() {
            settings.setDate(new Date(2001, 4, 5, 6, 7, 8))
            settings.visible = true
            mouseClick(findChild(settings, "nowButton"))

            verify(nearNow(windowClock.date))
            var today = new Date()
            compare(calendar.selectedDate.getDate(), today.getDate())
            compare(calendar.visibleMonth, today.getMonth())
            verify(settings.visible, "setting the time does not close the window")
        }

        function test_escapeAndCancelCloseWithoutApplying() {
            settings.visible = true
            windowKeys.click(settings, Qt.Key_Escape)
            verify(!settings.visible)

            settings.visible = true
            mouseClick(findChild(settings, "cancelButton"))
            verify(!settings.visible)
            compare(cancelSpy.count, 1)
            compare(acceptSpy.count, 0)
        }
    }
}
