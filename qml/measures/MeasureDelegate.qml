import QtQuick 2.7
import QtQuick.Controls 1.4
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
            row.ListView.view.model.remove(index)
        }

        width: parent ? parent.width : 0
        height: Defines.measurementHeight

        CheckBox {
            id: check
            checked: checkedValue
        }

        Text {
            id: dateText
            anchors.left: check.right
            anchors.leftMargin: Defines.measurementMargin
            anchors.verticalCenter: check.verticalCenter
            text: Qt.formatDateTime(dateTime, "dd.MM.yyyy")
            font.pixelSize: Defines.baseFontSize
        }

        Text {
            id: timeText
            anchors.left: dateText.right
            anchors.leftMargin: Defines.measurementMargin
            anchors.verticalCenter: check.verticalCenter
            text: Qt.formatDateTime(dateTime, "hh:mm")
            font.pixelSize: Defines.baseFontSize
        }

        Text {
            anchors.left: timeText.right
            anchors.leftMargin: Defines.measurementMargin
            anchors.verticalCenter: check.verticalCenter
            text: hardness
            font.pixelSize: Defines.baseFontSize
        }

        MouseArea {
            anchors.fill: parent
            onClicked: row.toggle(mouse.modifiers & Qt.ShiftModifier)
        }

        Image {
            anchors.right: parent.right
            anchors.rightMargin: 15
            anchors.verticalCenter: check.verticalCenter
            width: Defines.closeCrossSize
            height: Defines.closeCrossSize
            source: "qrc:/images/cross.png"

            MouseArea {
                anchors.fill: parent
                cursorShape: Qt.PointingHandCursor
                onClicked: row.removeRow()
            }
        }
    }
}
