import QtQuick 2.7
import com.tivor.defines 1.0

// Analogue clock of the settings window with a time field under the dial. It runs on from
// the last date it was given; a time typed into the field moves that date.
Item {
    id: clock

    property var date: new Date()
    property int counter: 0
    // The hands follow `date`, so a new date shows at once rather than on the next tick.
    property int hours: date.getHours()
    property int minutes: date.getMinutes()
    property int seconds: date.getSeconds()
    property alias running: ticker.running

    // `date` with its time set from a complete "hh:mm:ss" text, or null for anything less.
    // No range test: 25:00:00 is 01:00:00 of the next day, as the script Date counts.
    function applyTypedTime(date, text) {
        var match = /^(\d\d):(\d\d):(\d\d)$/.exec(text)
        if (!match)
            return null
        var result = new Date(date.getTime())
        result.setHours(parseInt(match[1], 10), parseInt(match[2], 10), parseInt(match[3], 10))
        return result
    }

    function showTime() {
        timeInput.text = Qt.formatTime(date, "hh:mm:ss")
    }

    // Return ends editing, and so does the focus loss that follows it: the field shows the
    // carried-over time first, so the second pass does not move the date again.
    function commitTypedTime(text) {
        var typed = applyTypedTime(date, text)
        if (typed === null)
            return
        date = typed
        showTime()
        clock.forceActiveFocus()
    }

    // Two ticks a second; the field is left alone while the user types in it.
    function tick() {
        counter += 1
        if (counter % 2 === 0)
            date = new Date(date.getTime() + 1000)
        if (!timeInput.activeFocus)
            showTime()
    }

    width: Defines.clockWidth
    height: Defines.clockHeight

    // A new date shows at once, not half a second after the window opens.
    onDateChanged: {
        if (!timeInput.activeFocus)
            showTime()
    }

    Timer {
        id: ticker
        interval: 500
        repeat: true
        running: true
        onTriggered: clock.tick()
    }

    Image {
        anchors.fill: parent
        source: "qrc:/images/clock-base.png"
        antialiasing: true
        smooth: true
    }

    // A hand drawn downwards from the centre and turned half a turn, so angle 0 points at six.
    component Hand: Rectangle {
        id: hand

        property real turn

        x: clock.width / 2 + width / 2
        y: clock.height / 2 + 1
        color: "black"
        antialiasing: true

        transform: Rotation {
            origin.x: 0
            origin.y: -1
            angle: hand.turn
            Behavior on angle {
                SpringAnimation {
                    spring: 2
                    damping: 0.2
                    modulus: 360
                }
            }
        }
    }

    Hand {
        objectName: "hourHand"
        width: 2
        height: clock.height * 0.3
        turn: clock.hours * 30 + clock.minutes * 0.5 + 180
    }

    Hand {
        objectName: "minuteHand"
        width: 2
        height: clock.height * 0.4
        turn: clock.minutes * 6 + 180
    }

    Hand {
        objectName: "secondHand"
        width: 1
        height: clock.height * 0.45
        turn: clock.seconds * 6 + 180
    }

    Rectangle {
        anchors.top: parent.bottom
        anchors.topMargin: 20
        anchors.horizontalCenter: parent.horizontalCenter
        width: Defines.clockInputWidth
        height: Defines.clockInputHeight
        border.width: 1
        border.color: "gray"

        TextInput {
            id: timeInput
            objectName: "timeInput"
            anchors.fill: parent
            inputMask: "99:99:99"
            font.pixelSize: Defines.baseFontSize
            horizontalAlignment: TextInput.AlignHCenter
            verticalAlignment: TextInput.AlignVCenter
            onEditingFinished: clock.commitTypedTime(text)
        }
    }
}
