import QtQuick 2.7
import QtQuick.Controls 2.0
import com.tivor.defines 1.0
import "../components/"

// The scales tab: which scales the tester shows, and the user scales in use.
Item {
    id: tab

    property var scalesModel
    // Three rows fill a list; every row is 4 pixels taller than its fields.
    readonly property int listHeight: Defines.scaleDelegateHeight * 3 + 12

    // The lowest free user slot takes the new scale; half-filled fields add nothing.
    function addScale(name, description) {
        if (name.length > 0 && description.length > 0 && scalesModel)
            scalesModel.unhideLowestScale(name, description)
    }

    Text {
        id: standardTitle
        anchors.left: parent.left
        anchors.top: parent.top
        text: qsTr("СТАНДАРТНЫЕ ШКАЛЫ:")
        font.pixelSize: Defines.baseFontSize
    }

    ListView {
        id: standardList
        objectName: "standardList"
        anchors.top: standardTitle.bottom
        anchors.topMargin: 10
        anchors.left: parent.left
        anchors.right: parent.right
        height: tab.listHeight
        clip: true
        boundsBehavior: Flickable.StopAtBounds
        model: tab.scalesModel
        delegate: ScaleDelegate {}
    }

    Rectangle {
        id: firstSeparator
        anchors.top: standardList.bottom
        anchors.topMargin: 5
        width: parent.width
        height: 1
        color: "#D9D9D9"
    }

    Text {
        id: addTitle
        anchors.top: firstSeparator.bottom
        anchors.topMargin: 10
        text: qsTr("ДОБАВИТЬ НОВУЮ:")
        font.pixelSize: Defines.baseFontSize
    }

    Item {
        id: addRow
        anchors.top: addTitle.bottom
        anchors.topMargin: 10
        width: parent.width
        height: Defines.scaleDelegateHeight

        ScaleTextEdit {
            id: newName
            objectName: "newScaleName"
            anchors.left: parent.left
            maximumLength: 3
        }

        ScaleTextEdit {
            id: newDescription
            objectName: "newScaleDescription"
            anchors.left: newName.right
            anchors.leftMargin: 5
            anchors.right: addButton.left
            anchors.rightMargin: 5
            maximumLength: 100
        }

        RedButton {
            id: addButton
            objectName: "addButton"
            anchors.right: parent.right
            width: Defines.buttonWidth - 20
            height: parent.height
            backColor0: Defines.baseColor
            textColor0: "white"
            text: qsTr("ДОБАВИТЬ")
            onClicked: tab.addScale(newName.text, newDescription.text)
        }
    }

    Rectangle {
        id: secondSeparator
        anchors.top: addRow.bottom
        anchors.topMargin: 10
        width: parent.width
        height: 1
        color: "#D9D9D9"
    }

    Text {
        id: userTitle
        anchors.top: secondSeparator.bottom
        anchors.topMargin: 10
        text: qsTr("ПОЛЬЗОВАТЕЛЬСКИЕ ШКАЛЫ:")
        font.pixelSize: Defines.baseFontSize
    }

    ListView {
        id: userList
        objectName: "userList"
        anchors.top: userTitle.bottom
        anchors.topMargin: 10
        anchors.left: parent.left
        anchors.right: parent.right
        height: tab.listHeight
        clip: true
        boundsBehavior: Flickable.StopAtBounds
        model: tab.scalesModel
        delegate: ScaleDelegateUser {}

        ScrollBar.vertical: RedScrollBar {
            opacity: userList.contentHeight > userList.height ? 1 : 0
        }
    }
}
