import QtQuick 2.7
import QtCharts 2.1
import com.tivor.defines 1.0

// Hardness against measurement number. Dragging pans and the wheel zooms along the numbers
// only; the hardness axis is fitted to the data by updateAxis().
Item {
    id: chart

    property var chartModel
    readonly property alias axisX: axisX
    readonly property alias axisY: axisY

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
        axisX.min = 0
        axisX.max = horizontalMaximum(chartModel.rowCount())
        var range = verticalRange(parseFloat(chartModel.average), chartModel.minHardness(),
                                  chartModel.maxHardness())
        axisY.min = range.min
        axisY.max = range.max
    }

    // Narrow views move twice as fast, or a step would hardly show.
    function panStep() {
        return axisX.max - axisX.min < 10 ? navigation.scrollFactor * 2 : navigation.scrollFactor
    }

    // Panning stops once the view starts below 1 or ends beyond maxX; true when it moved.
    function scrollTowardsStart() {
        if (axisX.min < 1)
            return false
        chartView.scrollLeft(panStep())
        return true
    }

    function scrollTowardsEnd() {
        if (axisX.max > navigation.maxX)
            return false
        chartView.scrollRight(panStep())
        return true
    }

    function zoomInOnStart() {
        if (axisX.max - axisX.min <= navigation.minX)
            return
        var area = chartView.plotArea
        chartView.zoomIn(Qt.rect(area.x, area.y, area.width / 2, area.height))
    }

    function zoomOutFromStart() {
        if (axisX.max >= navigation.maxX)
            return
        var area = chartView.plotArea
        chartView.zoomIn(Qt.rect(area.x, area.y, area.width * 2, area.height))
        // Past the last reachable number the view goes back to the start. A step that no
        // longer moves the view (a plot area of no width) ends the loop.
        if (axisX.max < navigation.maxX)
            return
        while (axisX.min > 1) {
            var before = axisX.min
            chartView.scrollLeft(navigation.scrollFactor)
            if (axisX.min >= before)
                break
        }
    }

    ChartView {
        id: chartView

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

        ScatterSeries {
            id: scatterSeries
            axisX: axisX
            axisY: axisY
            color: "black"
            markerShape: ScatterSeries.MarkerShapeRectangle
            markerSize: 10

            // Over a marker the pointer belongs to the marker, not to panning.
            onHovered: {
                navigation.enabled = !state
                navigation.cursorShape = state ? Qt.PointingHandCursor : Qt.ArrowCursor
            }
        }

        VXYModelMapper {
            model: chart.chartModel
            series: lineSeries
            xColumn: 0
            yColumn: 1
        }

        VXYModelMapper {
            model: chart.chartModel
            series: scatterSeries
            xColumn: 0
            yColumn: 1
        }
    }

    MouseArea {
        id: navigation
        objectName: "navigation"

        property real currX: 0
        property real scrollFactor: chartView.plotArea.width / 10
        property real maxX: 1000
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
