import QtQuick 2.7
import QtQuick.Controls 2.0
import com.tivor.defines 1.0
import "../components/"

// The right-hand panel in normal mode: scale filter, measurement rows, and what to do with
// the ticked rows.
Item {
    id: panel

    property var measModel
    property alias comboModel: filter.model

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

    function applyAction(index) {
        if (index === 0)
            measModel.removeChecked()
        else if (index === 1)
            measModel.clearSelected()
        else if (index === 2)
            clearMemory()
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

        // Content height when the scroll bar last changed size.
        property real lastContentHeight: 0

        // New rows from the tester come into view; deleting rows leaves the position alone.
        function followNewRows() {
            if (contentHeight >= lastContentHeight)
                scrollBar.position = 1 - scrollBar.size
            lastContentHeight = contentHeight
        }

        anchors.top: filter.bottom
        anchors.topMargin: 15
        anchors.bottom: actionLabel.top
        anchors.bottomMargin: 15
        anchors.left: parent.left
        anchors.right: parent.right
        clip: true
        model: panel.measModel
        delegate: MeasureDelegate {}
        boundsBehavior: Flickable.StopAtBounds

        onCountChanged: panel.updateChart()
        onContentHeightChanged: scrollBar.opacity = contentHeight > height ? 1 : 0

        ScrollBar.vertical: RedScrollBar {
            id: scrollBar
            objectName: "scrollBar"
            onSizeChanged: list.followNewRows()
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
