import QtQuick 2.7
import QtQuick.Controls 2.2
import com.tivor.defines 1.0
import "scalerows.js" as ScaleRows

// One row of the user scale list: a scale row of a user scale in use, with a cross that frees
// its slot. The slot reaches the tester only when the settings are applied.
ScaleDelegate {
    id: row

    belongs: ScaleRows.belongsToUserList(model.number, model.isVisible)
    rightInset: cross.anchors.rightMargin + cross.width + 5

    Image {
        id: cross
        objectName: "hideCross"
        anchors.right: parent.right
        anchors.rightMargin: 15
        anchors.verticalCenter: parent.verticalCenter
        width: Defines.closeCrossSize
        height: Defines.closeCrossSize
        source: "qrc:/images/cross.png"

        // Not while some slot is unread: freeing a slot is a change to write.
        readonly property bool allowed: row.ListView.view.model.allRead !== false
        opacity: allowed ? 1 : 0.4

        ToolTip.visible: crossArea.containsMouse
        ToolTip.text: qsTr("Удалить шкалу")
        ToolTip.delay: 500

        MouseArea {
            id: crossArea
            anchors.fill: parent
            hoverEnabled: true
            enabled: cross.allowed
            cursorShape: Qt.PointingHandCursor
            onClicked: row.ListView.view.model.hideScale(index)
        }
    }
}
