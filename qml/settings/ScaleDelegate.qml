import QtQuick 2.7
import QtQuick.Controls 1.4
import com.tivor.defines 1.0
import "scalerows.js" as ScaleRows

// One row of the standard scale list: switch, name and description. The list runs over every
// scale, so a row that is not a standard scale stays invisible and takes no height.
Item {
    id: row

    property bool belongs: ScaleRows.belongsToStandardList(model.number)
    // Room left free at the right edge; the user rows put their cross there.
    property int rightInset: 0

    width: ListView.view ? ListView.view.width : 0
    height: belongs ? Defines.scaleDelegateHeight + 4 : 0
    visible: belongs
    activeFocusOnTab: true

    CheckBox {
        id: enableBox
        anchors.left: parent.left
        anchors.verticalCenter: parent.verticalCenter
        text: model.number
        checked: model.enable

        // Writes the model instead of toggling the box, so the box keeps showing the model.
        MouseArea {
            anchors.fill: parent
            onClicked: model.enable = !enableBox.checked
        }
    }

    ScaleTextEdit {
        id: nameField
        anchors.left: enableBox.right
        anchors.leftMargin: 5
        anchors.verticalCenter: parent.verticalCenter
        maximumLength: 3
        text: model.name
        readOnly: model.isReadOnly
    }

    ScaleTextEdit {
        anchors.left: nameField.right
        anchors.leftMargin: 5
        anchors.right: parent.right
        anchors.rightMargin: row.rightInset
        anchors.verticalCenter: parent.verticalCenter
        maximumLength: 100
        text: model.description
        readOnly: model.isReadOnly
    }
}
