import QtQuick 2.7
import QtTest 1.2
import "../../qml/"

// Axis fitting and the zoom and pan limits of the measurement chart.
Item {
    id: root
    width: 800
    height: 500

    ListModel {
        id: fakeModel

        function fill(rows, average, minimum, maximum) {
            clear()
            for (var i = 0; i < rows; ++i)
                append({ "value": i })
            fakeStatistics.shownCount = rows
            fakeStatistics.average = average
            fakeStatistics.minimum = minimum
            fakeStatistics.maximum = maximum
        }
    }

    // Stands in for a MeasurementStatistics: the chart fits its hardness axis to these.
    QtObject {
        id: fakeStatistics

        property int shownCount: 0
        property real average: 0
        property real minimum: 0
        property real maximum: 0

        function outsidePoints(from, to) { return [] }
    }

    Chart {
        id: chart
        anchors.fill: parent
        chartModel: fakeModel
        statistics: fakeStatistics
    }

    TestCase {
        name: "Chart"
        when: windowShown

        function axis(name) {
            return chart[name]
        }

        function init() {
            fakeModel.fill(0, 0, 0, 0)
            axis("axisX").min = 0
            axis("axisX").max = 5
            axis("axisY").min = 0
            axis("axisY").max = 100
        }

        function test_horizontalRangeIsTheFirstDoublingOfFiveAboveTheRowCount_data() {
            return [
                { tag: "one row", rows: 1, max: 5 },
                { tag: "five rows is not above five", rows: 5, max: 10 },
                { tag: "eleven rows", rows: 11, max: 20 },
                { tag: "forty rows", rows: 40, max: 80 }
            ]
        }

        function test_horizontalRangeIsTheFirstDoublingOfFiveAboveTheRowCount(data) {
            fakeModel.fill(data.rows, "50.0", 45, 55)
            chart.updateAxis()
            compare(axis("axisX").min, 0)
            compare(axis("axisX").max, data.max)
        }

        function test_verticalRangeCentresOnTheAverageAndTakesInTheExtremes_data() {
            return [
                { tag: "small average, clipped at zero", average: 40, min: 38, max: 42,
                  low: 0, high: 90 },
                { tag: "large average, widened above", average: 300, min: 250, max: 420,
                  low: 200, high: 462 },
                { tag: "lowest below the band", average: 60, min: 5, max: 70,
                  low: 5, high: 110 },
                { tag: "an error reading of zero", average: 25, min: 0, max: 50,
                  low: 0, high: 75 },
                { tag: "average of exactly 100 keeps the narrow band", average: 100,
                  min: 90, max: 110, low: 50, high: 150 },
                { tag: "half a unit rounds up", average: 300, min: 190, max: 305,
                  low: 171, high: 400 }
            ]
        }

        function test_verticalRangeCentresOnTheAverageAndTakesInTheExtremes(data) {
            fakeModel.fill(3, data.average, data.min, data.max)
            chart.updateAxis()
            compare(axis("axisY").min, data.low)
            compare(axis("axisY").max, data.high)
        }

        function test_anEmptyModelLeavesTheLastAxes() {
            fakeModel.fill(11, 300, 250, 420)
            chart.updateAxis()
            fakeModel.fill(0, 0, 0, 0)
            chart.updateAxis()
            compare(axis("axisX").max, 20)
            compare(axis("axisY").min, 200)
            compare(axis("axisY").max, 462)
        }

        function test_wheelZoomsInOnlyWhileWiderThanSix() {
            fakeModel.fill(5, 50, 45, 55)
            chart.updateAxis()
            var area = findChild(chart, "navigation")
            compare(axis("axisX").max, 10)
            mouseWheel(area, 20, 20, 0, 120)
            compare(axis("axisX").min, 0)
            compare(axis("axisX").max, 5)
            mouseWheel(area, 20, 20, 0, 120)
            compare(axis("axisX").max, 5, "a range of 5 is not zoomed further")
            compare(axis("axisY").min, 0, "the hardness axis stays")
            compare(axis("axisY").max, 100)
        }

        function test_wheelZoomsOutFromTheStartAndSlidesBackBelowTheLastNumber() {
            var x = axis("axisX")
            x.min = 600
            x.max = 900
            mouseWheel(findChild(chart, "navigation"), 20, 20, 0, -120)
            // 600..1200 reaches past 1000, so the view slides back until it starts at 1 or less.
            verify(x.min <= 1, "min " + x.min)
            verify(x.max - x.min > 599 && x.max - x.min < 601)
        }

        function test_wheelDoesNotZoomOutAtTheLastNumber() {
            var x = axis("axisX")
            x.min = 0
            x.max = 1000
            mouseWheel(findChild(chart, "navigation"), 20, 20, 0, -120)
            compare(x.max, 1000)
        }

        function test_zoomingOutReachesTheWholeTableAtAnyLength() {
            fakeModel.fill(3000, 50, 45, 55)
            chart.updateAxis()
            var x = axis("axisX")
            compare(x.max, 5120, "a fitted view shows every row")
            var area = findChild(chart, "navigation")
            for (var i = 0; i < 12; ++i)
                mouseWheel(area, 20, 20, 0, 120)
            verify(x.max - x.min <= 10)
            for (i = 0; i < 20; ++i)
                mouseWheel(area, 20, 20, 0, -120)
            compare(x.min, 0)
            verify(x.max >= 3000, "max " + x.max)
        }

        function test_panningNeverShowsNumbersBelowZero() {
            var x = axis("axisX")
            x.max = 21
            x.min = 1
            var area = findChild(chart, "navigation")
            area.forceActiveFocus()
            keyClick(Qt.Key_Left)
            compare(x.min, 0)
            compare(x.max, 20)
            x.max = 42
            x.min = 2
            mousePress(area, 100, 50)
            mouseMove(area, 100 + area.scrollFactor + 2, 50)
            mouseRelease(area, 100 + area.scrollFactor + 2, 50)
            compare(x.min, 0)
            compare(x.max, 40)
        }

        // Markers side by side would otherwise leave no place to grab.
        function test_theWheelStillZoomsWithThePointerOnAMarker() {
            fakeModel.fill(5, 50, 45, 55)
            chart.updateAxis()
            var view = findChild(chart, "chartView")
            var scatter = chart.points.markers
            tryVerify(function() { return scatter.count === 5 })
            var spot = view.mapToPosition(Qt.point(3, 0), scatter)
            var area = findChild(chart, "navigation")
            var local = area.mapFromItem(view, spot.x, spot.y - 1)
            mouseMove(area, local.x - 20, local.y)
            mouseMove(area, local.x, local.y)
            wait(50)
            compare(axis("axisX").max, 10)
            mouseWheel(area, local.x, local.y, 0, 120)
            compare(axis("axisX").max, 5)
        }

        function test_arrowKeysPanByATenthAndStopBelowOne() {
            var x = axis("axisX")
            x.min = 0
            x.max = 20
            findChild(chart, "navigation").forceActiveFocus()
            keyClick(Qt.Key_Right)
            fuzzyCompare(x.min, 2, 0.01)
            fuzzyCompare(x.max, 22, 0.01)
            keyClick(Qt.Key_Left)
            fuzzyCompare(x.min, 0, 0.01)
            keyClick(Qt.Key_Left)
            fuzzyCompare(x.min, 0, 0.01, "no scrolling once the view starts below 1")
        }

        function test_narrowViewsPanTwiceAsFar() {
            var x = axis("axisX")
            x.min = 10
            x.max = 15
            findChild(chart, "navigation").forceActiveFocus()
            keyClick(Qt.Key_Left)
            fuzzyCompare(x.min, 9, 0.01)
        }

        function test_draggingRightShowsLowerNumbers() {
            var x = axis("axisX")
            x.min = 20
            x.max = 40
            var area = findChild(chart, "navigation")
            var factor = area.scrollFactor
            mousePress(area, 100, 50)
            mouseMove(area, 100 + factor + 2, 50)
            mouseRelease(area, 100 + factor + 2, 50)
            fuzzyCompare(x.min, 18, 0.01)
        }
    }
}
