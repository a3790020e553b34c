import QtQuick 2.7
import QtQuick.Controls 1.4
import QtQuick.Controls 2.2 as Controls2
import com.tivor.defines 1.0

// One measurement row, for any list whose model is a MeasurementModel: a click ticks or
// unticks it, Shift-click ticks a range, the cross deletes it.
Component {
    Item {
        id: row

        // The row reaches the model of whichever list shows it.
        function toggle(withShift) {
            var listModel = row.ListView.view.model
            var ticked = !check.checked
            model.checkedValue = ticked
            if (ticked && withShift)
                listModel.setSecondIndex(index)
            else if (ticked)
                listModel.setFirstIndex(index)
            else
                listModel.setFirstIndex(-1)
        }

        function removeRow() {
            row.ListView.view.model.deleteRow(index)
        }

        // Outside its scale's tolerance limits: the row's texts turn red. Naming the
        // statistics' revision re-evaluates this on every change of rows or limits.
        readonly property bool outside: {
            var statistics = row.ListView.view ? row.ListView.view.rowStatistics : null
            return statistics ? (statistics.revision, statistics.isRowOutside(index)) : false
        }
        readonly property color textColor: outside ? Defines.baseColor : "black"
        readonly property int rowIndex: index

        width: parent ? parent.width : 0
        height: Defines.measurementHeight

        CheckBox {
            id: check
            checked: checkedValue
        }

        // Date, time and hardness keep their designed size where the font allows; a wider
        // font shrinks them to the room left of the cross, so the hardness is never hidden.
        Row {
            id: texts
            anchors.left: check.right
            anchors.leftMargin: Defines.measurementMargin
            anchors.verticalCenter: check.verticalCenter
            spacing: Defines.measurementMargin
            transformOrigin: Item.Left
            scale: Math.min(1, Math.max(0, cross.x - 2 - x) / Math.max(1, implicitWidth))

            Text {
                text: Qt.formatDateTime(dateTime, "dd.MM.yyyy")
                font.pixelSize: Defines.baseFontSize
                color: row.textColor
            }

            Text {
                text: Qt.formatDateTime(dateTime, "hh:mm")
                font.pixelSize: Defines.baseFontSize
                color: row.textColor
            }

            Text {
                text: hardness
                font.pixelSize: Defines.baseFontSize
                color: row.textColor
            }
        }

        MouseArea {
            anchors.fill: parent
            onClicked: row.toggle(mouse.modifiers & Qt.ShiftModifier)
        }

        Image {
            id: cross
            anchors.right: parent.right
            anchors.rightMargin: 15
            anchors.verticalCenter: check.verticalCenter
            width: Defines.closeCrossSize
            height: Defines.closeCrossSize
            source: "qrc:/images/cross.png"

            Controls2.ToolTip.visible: crossArea.containsMouse
            Controls2.ToolTip.text: qsTr("Удалить измерение")
            Controls2.ToolTip.delay: 500

            MouseArea {
                id: crossArea
                anchors.fill: parent
                hoverEnabled: true
                cursorShape: Qt.PointingHandCursor
                onClicked: row.removeRow()
            }
        }
    }
}
