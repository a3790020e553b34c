import QtQuick 2.7
import QtQuick.Controls 2.0
import QtQml 2.2
import com.tivor.defines 1.0
import components 1.0
import "scalerows.js" as ScaleRows

// The scales tab: which scales the tester shows, and the user scales in use.
Item {
    id: tab

    property var scalesModel
    // A slot that was not read may be in use in the tester though its row looks free: then no
    // user scale is added, removed or written until the scales are read again.
    readonly property bool scalesKnown: !scalesModel || scalesModel.allRead !== false
    // Three rows fill a list; every row is 4 pixels taller than its fields.
    readonly property int listHeight: Defines.scaleDelegateHeight * 3 + 12

    // The lowest free user slot takes the new scale; half-filled fields add nothing, and a
    // name a scale in use has is refused with a word. An added scale empties the fields.
    function addScale(name, description) {
        if (name.length === 0 || description.length === 0 || !scalesModel || !scalesKnown
                || !isLineName(name))
            return
        if (nameInUse(name)) {
            takenNote.takenName = name
            return
        }
        if (scalesModel.lowestHiddenNumber() < 0)
            return
        scalesModel.unhideLowestScale(name, description)
        newName.text = ""
        newDescription.text = ""
    }

    // Case aside: the tester's small screen tells "hrc" from "HRC" poorly.
    function nameInUse(name) {
        for (var row = 0; row < scalesInUse.count; ++row) {
            var scale = scalesInUse.objectAt(row)
            if (scale && scale.inUse && scale.name.toUpperCase() === name.toUpperCase())
                return true
        }
        return false
    }

    // What the tester's line carries in a name: no ";" (it splits the tester's records) and
    // no control characters.
    function isLineName(name) {
        return !/[;\u0000-\u001f\u007f]/.test(name)
    }

    // Every row's name, whichever list shows it.
    Instantiator {
        id: scalesInUse
        model: tab.scalesModel
        delegate: QtObject {
            readonly property string name: model.name
            readonly property bool inUse: ScaleRows.belongsToStandardList(model.number)
                                          || ScaleRows.belongsToUserList(model.number,
                                                                         model.isVisible)
        }
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
            placeholderText: qsTr("Имя")
            // The field is three letters wide; a smaller hint fits a longer word ("Name").
            font.pixelSize: text === "" ? Math.round(Defines.baseFontSize * 0.75) : Defines.baseFontSize
            maximumLength: 3
            onTextChanged: takenNote.takenName = ""
            validator: RegExpValidator {
                regExp: /[^;\x01-\x1f\x7f]*/
            }
        }

        ScaleTextEdit {
            id: newDescription
            objectName: "newScaleDescription"
            anchors.left: newName.right
            anchors.leftMargin: 5
            anchors.right: addButton.left
            anchors.rightMargin: 5
            placeholderText: qsTr("Описание")
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
            enabled: tab.scalesKnown
            opacity: enabled ? 1 : 0.5
            onClicked: tab.addScale(newName.text, newDescription.text)
        }
    }

    Text {
        id: unknownNote
        objectName: "unknownScalesNote"
        anchors.bottom: addRow.top
        anchors.bottomMargin: 6
        anchors.right: parent.right
        visible: !tab.scalesKnown
        color: Defines.baseColor
        text: qsTr("Не все шкалы прочитаны из прибора: изменить их нельзя.\n"
                   + "Проверьте связь, закройте настройки и откройте их снова.")
        font.pixelSize: Defines.baseFontSize - 2
        horizontalAlignment: Text.AlignRight
    }

    Text {
        id: takenNote
        objectName: "takenNameNote"

        property string takenName: ""

        anchors.bottom: addRow.top
        anchors.bottomMargin: 6
        anchors.right: parent.right
        visible: takenName !== ""
        color: Defines.baseColor
        text: qsTr("Шкала с именем \"%1\" уже есть.").arg(takenName)
        font.pixelSize: Defines.baseFontSize
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
