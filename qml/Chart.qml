import QtQuick 2.7
import QtCharts 2.1
import com.tivor.chart 1.0
import com.tivor.defines 1.0

// Hardness against measurement number. Dragging pans and the wheel zooms along the numbers
// only; the number axis is fitted to the rows by updateAxis(), the hardness axis to the
// statistics' figures whenever they change. ChartPoints hands the series only what is in view,
// thinned to the plot's pixel columns when dense.
Item {
    id: chart

    property var chartModel
    // The figures of chartModel's rows (a MeasurementStatistics): the hardness axis follows
    // their average, minimum and maximum, and the rows outside their scale's tolerance limits
    // get a red marker.
    property var statistics
    readonly property alias axisX: axisX
    readonly property alias axisY: axisY
    readonly property alias plotArea: chartView.plotArea
    readonly property alias points: points
    readonly property alias outsideSeries: outsideSeries

    // The first of 5, 10, 20, 40... that exceeds the number of rows.
    function horizontalMaximum(rows) {
        var maximum = 5
        while (maximum <= rows)
            maximum *= 2
        return maximum
    }

    // A band of 50 (100 above an average of 100) each side of the average, widened by a tenth
    // to take in the extremes; hardness is never negative, so neither is the lower bound.
    function verticalRange(average, minHardness, maxHardness) {
        var halfRange = average <= 100 ? 50 : 100
        var lower = average - halfRange
        if (lower > minHardness)
            lower = minHardness - minHardness * 0.1
        if (lower < 0)
            lower = 0
        var upper = average + halfRange
        if (upper < maxHardness)
            upper = maxHardness + maxHardness * 0.1
        return { "min": Number(lower.toFixed(0)), "max": Number(upper.toFixed(0)) }
    }

    // An empty model keeps the axes as they are, so deleting every row leaves the last view.
    function updateAxis() {
        if (!chartModel || chartModel.rowCount() === 0)
            return
        setHorizontalRange(0, horizontalMaximum(chartModel.rowCount()))
        fitVerticalAxis()
    }

    function fitVerticalAxis() {
        if (!statistics || statistics.shownCount === 0)
            return
        var range = verticalRange(statistics.average, statistics.minimum, statistics.maximum)
        axisY.min = range.min
        axisY.max = range.max
    }

    // The axis clamps each end against the other as it is set, so the end that moves away
    // from the other goes first.
    function setHorizontalRange(min, max) {
        if (min <= axisX.max) {
            axisX.min = min
            axisX.max = max
        } else {
            axisX.max = max
            axisX.min = min
        }
    }

    // A tenth of the view; narrow views move twice as far, or a step would hardly show.
    function panStep() {
        var range = axisX.max - axisX.min
        return range < 10 ? range / 5 : range / 10
    }

    // Panning stops once the view starts below 1 or ends beyond maxX, and never shows
    // numbers below 0; true when it moved.
    function scrollTowardsStart() {
        if (axisX.min < 1)
            return false
        var step = Math.min(panStep(), axisX.min)
        setHorizontalRange(axisX.min - step, axisX.max - step)
        return true
    }

    function scrollTowardsEnd() {
        if (axisX.max > navigation.maxX)
            return false
        var step = panStep()
        setHorizontalRange(axisX.min + step, axisX.max + step)
        return true
    }

    function zoomInOnStart() {
        var range = axisX.max - axisX.min
        if (range <= navigation.minX)
            return
        setHorizontalRange(axisX.min, axisX.min + range / 2)
    }

    // Twice the range from the same start; past the last reachable number the view slides
    // back a tenth at a time until it starts at 1 or less (but not below 0).
    function zoomOutFromStart() {
        if (axisX.max >= navigation.maxX)
            return
        var range = 2 * (axisX.max - axisX.min)
        var min = axisX.min
        if (min + range >= navigation.maxX) {
            while (min > 1)
                min -= range / 10
            min = Math.max(min, 0)
        }
        setHorizontalRange(min, min + range)
    }

    ChartView {
        id: chartView
        objectName: "chartView"

        anchors.fill: parent
        legend.visible: false
        antialiasing: true
        backgroundColor: "white"

        ValueAxis {
            id: axisX
            titleText: qsTr("НОМЕР ИЗМЕРЕНИЯ")
            titleFont.pixelSize: Defines.baseFontSize
            titleFont.bold: true
            labelsFont.pixelSize: Defines.baseFontSize
            min: 0
            max: 5
            tickCount: 6
            minorTickCount: 1
            labelFormat: "%d"
        }

        ValueAxis {
            id: axisY
            titleText: qsTr("ТВЕРДОСТЬ")
            titleFont.pixelSize: Defines.baseFontSize
            titleFont.bold: true
            labelsFont.pixelSize: Defines.baseFontSize
            min: 0
            max: 100
            tickCount: 6
            minorTickCount: 1
        }

        LineSeries {
            id: lineSeries
            axisX: axisX
            axisY: axisY
            color: "blue"
        }

        // Empty while the view is too dense for markers to tell points apart.
        ScatterSeries {
            id: scatterSeries
            axisX: axisX
            axisY: axisY
            color: "black"
            markerShape: ScatterSeries.MarkerShapeRectangle
            markerSize: 10

            // The hand tells the pointer is on a measurement; panning and zooming still work,
            // or markers packed side by side would leave nothing to grab.
            onHovered: navigation.cursorShape = state ? Qt.PointingHandCursor : Qt.ArrowCursor
        }

        ScatterSeries {
            id: outsideSeries
            objectName: "outsideSeries"
            axisX: axisX
            axisY: axisY
            color: Defines.baseColor
            borderColor: Defines.baseColor
            markerShape: ScatterSeries.MarkerShapeRectangle
            markerSize: 10
        }
    }

    // The marked measurements in view, over the black markers; none while the view is too
    // dense for markers (at most markerLimit points, so this stays cheap).
    function refreshOutsideMarkers() {
        outsideSeries.clear()
        if (!statistics || !points.markersShown)
            return
        var marked = statistics.outsidePoints(axisX.min, axisX.max)
        for (var i = 0; i < marked.length; ++i)
            outsideSeries.append(marked[i].x, marked[i].y)
    }

    Connections {
        target: chart.statistics ? chart.statistics : null
        ignoreUnknownSignals: true
        // Also when the statistics hear of a change after the one who asked for updateAxis().
        function onChanged() {
            chart.fitVerticalAxis()
            chart.refreshOutsideMarkers()
        }
    }

    Connections {
        target: points
        function onDrawn() {
            chart.refreshOutsideMarkers()
        }
    }

    ChartPoints {
        id: points
        objectName: "points"
        model: chart.chartModel ? chart.chartModel : null
        line: lineSeries
        markers: scatterSeries
        from: axisX.min
        to: axisX.max
        columns: chartView.plotArea.width
    }

    MouseArea {
        id: navigation
        objectName: "navigation"

        property real currX: 0
        property real scrollFactor: chartView.plotArea.width / 10
        // The whole table can be reached at any length; short tables keep room to 1000.
        property real maxX: Math.max(1000, chart.horizontalMaximum(points.count))
        property real minX: 6

        x: chartView.plotArea.x
        y: chartView.plotArea.y
        width: chartView.plotArea.width
        height: chartView.plotArea.height
        focus: true
        propagateComposedEvents: true

        onPressed: currX = mouse.x
        // Dragging right brings lower numbers into view, like pulling the paper.
        onPositionChanged: {
            if (mouse.x - currX > scrollFactor) {
                if (chart.scrollTowardsStart())
                    currX = mouse.x
            } else if (currX - mouse.x > scrollFactor) {
                if (chart.scrollTowardsEnd())
                    currX = mouse.x
            }
        }
        onWheel: {
            if (wheel.angleDelta.y > 0)
                chart.zoomInOnStart()
            else if (wheel.angleDelta.y < 0)
                chart.zoomOutFromStart()
        }

        Keys.onPressed: {
            if (event.key === Qt.Key_Left)
                chart.scrollTowardsStart()
            else if (event.key === Qt.Key_Right)
                chart.scrollTowardsEnd()
            event.accepted = true
        }
    }
}
