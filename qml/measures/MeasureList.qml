import QtQuick 2.7
import QtQuick.Controls 2.0
import com.tivor.defines 1.0
import components 1.0

// The right-hand panel in normal mode: scale filter, measurement rows, and what to do with
// the ticked rows.
Item {
    id: panel

    property var measModel
    property alias comboModel: filter.model
    // Marks the rows outside their scale's tolerance limits, when given.
    property var statistics

    signal updateChart
    signal clearMemory
    signal scalesItemChanged(string name)

    // Entry 0 is "all scales". A scale entry also becomes the tester's current scale.
    // Index -1 (no entry, while the list is being replaced) counts as no filter, so the
    // list is never filtered on an empty name.
    function applyFilter(index, name) {
        if (!measModel)
            return
        measModel.resetScaleFilter()
        if (index > 0) {
            measModel.setScaleFilter(name)
            scalesItemChanged(name)
        }
        updateChart()
    }

    // The scale filter in force, as the drop-down shows it ("all scales" when none).
    function filterText() {
        return filter.currentIndex > 0 ? filter.currentText : filter.textAt(0)
    }

    function applyAction(index) {
        if (index === 0)
            measModel.deleteChecked()
        else if (index === 1)
            measModel.clearSelected()
        else if (index === 2)
            clearMemory()
    }

    // Brings back the rows of the last deletion; the calibration list has its own rows.
    Shortcut {
        sequence: "Ctrl+Z"
        enabled: panel.visible
        onActivated: {
            if (panel.measModel.undoDeletion())
                panel.updateChart()
        }
    }

    RedComboBox {
        id: filter
        objectName: "filter"
        anchors.top: parent.top
        anchors.left: parent.left
        anchors.right: parent.right
        onCurrentIndexChanged: panel.applyFilter(currentIndex, textAt(currentIndex))
    }

    ListView {
        id: list
        objectName: "list"

        // Taken just before the rows change: new rows bring the view along only when the
        // user had it at the end. Resizing the window or leaving calibration mode moves
        // nothing, and a model reset (a memory read, a filter) keeps the place otherwise.
        property bool wasAtEnd: true
        property bool followPending: false
        property real placeBeforeReset: 0

        function atEnd() {
            return contentHeight <= height || atYEnd
        }

        // Rows that come before the view has followed the last ones count as at the end.
        function noteThePlace() {
            if (followPending)
                return
            forceLayout() // the view may not have taken in the last change yet
            wasAtEnd = model.rowCount() === 0 || atEnd()
            placeBeforeReset = contentY
        }

        function scheduleFollowing(follow) {
            if (followPending)
                return
            followPending = true
            Qt.callLater(follow)
        }

        function followNewRows() {
            followPending = false
            if (wasAtEnd)
                positionViewAtEnd()
        }

        function restoreThePlace() {
            followPending = false
            if (wasAtEnd)
                positionViewAtEnd()
            else
                contentY = Math.max(0, Math.min(placeBeforeReset, contentHeight - height))
        }

        anchors.top: filter.bottom
        anchors.topMargin: 15
        anchors.bottom: actionLabel.top
        anchors.bottomMargin: 15
        anchors.left: parent.left
        anchors.right: parent.right
        clip: true
        model: panel.measModel
        // The delegate finds it through its view.
        property var rowStatistics: panel.statistics
        delegate: MeasureDelegate {}
        boundsBehavior: Flickable.StopAtBounds

        onCountChanged: panel.updateChart()

        Connections {
            target: panel.measModel ? panel.measModel : null
            ignoreUnknownSignals: true

            function onRowsAboutToBeInserted() { list.noteThePlace() }
            function onModelAboutToBeReset() { list.noteThePlace() }
            // Later, once the view has taken in the change; many rows arriving at once move
            // it only once.
            function onRowsInserted() { list.scheduleFollowing(list.followNewRows) }
            function onModelReset() { list.scheduleFollowing(list.restoreThePlace) }
        }

        ScrollBar.vertical: RedScrollBar {
            id: scrollBar
            objectName: "scrollBar"
        }
    }

    Text {
        id: actionLabel
        anchors.left: parent.left
        anchors.bottom: actions.top
        text: qsTr("Действия с выбранными:")
        font.pixelSize: Defines.baseFontSize
    }

    RedComboBox {
        id: actions
        objectName: "actions"
        anchors.left: parent.left
        anchors.right: okButton.left
        anchors.rightMargin: 5
        anchors.bottom: parent.bottom
        anchors.bottomMargin: 10
        model: [qsTr("Удалить"), qsTr("Снять выделение"), qsTr("Очистить память")]
    }

    RedButton {
        id: okButton
        objectName: "okButton"
        anchors.right: parent.right
        anchors.bottom: parent.bottom
        anchors.bottomMargin: 10
        width: Defines.smallButtonWidth
        height: Defines.scaleDelegateHeight
        text: "OK"
        borderColor0: Defines.baseColor
        backColor0: Defines.baseColor
        textColor0: "white"
        borderColor1: "black"
        backColor1: "black"
        textColor1: "white"
        onClicked: panel.applyAction(actions.currentIndex)
    }
}
