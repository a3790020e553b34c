import QtQuick 2.7
import QtQuick.Window 2.2
import com.tivor.defines 1.0

// The menu bar, which is also the title bar of the frameless main window: it drags and
// maximises the window it sits in.
Rectangle {
    id: menu

    property string devNumber: "BRENMO #XXXXX"
    property string devType: qsTr("ультразвуковой")
    property int mode: 0
    // Whether the tester's port is open; the identity gives way to a notice while it is not.
    property bool connected: true
    property var window: Window.window

    signal connectButtonClicked
    signal saveButtonClicked
    signal openButtonClicked
    signal settingsButtonClicked
    signal reportButtonClicked
    signal historyButtonClicked
    signal calibButtonClicked

    function modeSwitch() {
        mode = mode === 0 ? 1 : 0
    }

    // The identity comes from the tester: markup in it must show as text.
    function escapeMarkup(text) {
        return text.replace(/&/g, "&amp;").replace(/</g, "&lt;").replace(/>/g, "&gt;")
    }

    function withKeys(text, shortcut) {
        return text + " (" + shortcut.sequence + ")"
    }

    function toggleMaximized() {
        if (window.visibility === Window.Maximized)
            window.showNormal()
        else
            window.showMaximized()
    }

    height: Defines.menuHeight
    color: Defines.baseColor

    onModeChanged: {
        var calibration = mode === 1
        logo.color = calibration ? Defines.baseColor : Defines.secondColor
        var squareButtons = [connectButton, saveButton, openButton, settingsButton, reportButton,
                             historyButton, closeButton]
        for (var i = 0; i < squareButtons.length; ++i) {
            // The gradient choice must be in place before the mode change repaints.
            squareButtons[i].gradEnable = calibration
            squareButtons[i].colorMode = calibration ? 1 : 0
        }
        color = calibration ? Defines.secondColor : Defines.baseColor
        calibButton.flipColorMode()
    }

    // The buttons' keys. In calibration mode they do nothing, as the buttons do; under a
    // modal box they do not reach this window at all.
    Shortcut {
        id: connectKeys
        sequence: "F5"
        enabled: menu.mode === 0
        onActivated: menu.connectButtonClicked()
    }
    Shortcut {
        id: saveKeys
        sequence: "Ctrl+S"
        enabled: menu.mode === 0
        onActivated: menu.saveButtonClicked()
    }
    Shortcut {
        id: openKeys
        sequence: "Ctrl+O"
        enabled: menu.mode === 0
        onActivated: menu.openButtonClicked()
    }
    Shortcut {
        id: reportKeys
        sequence: "Ctrl+P"
        enabled: menu.mode === 0
        onActivated: menu.reportButtonClicked()
    }
    Shortcut {
        id: historyKeys
        sequence: "Ctrl+H"
        enabled: menu.mode === 0
        onActivated: menu.historyButtonClicked()
    }

    MouseArea {
        property point pressPosition

        anchors.fill: parent
        onDoubleClicked: menu.toggleMaximized()
        onPressed: pressPosition = Qt.point(mouse.x, mouse.y)
        onPositionChanged: {
            if (!pressed || menu.window.visibility === Window.Maximized)
                return
            menu.window.x += mouse.x - pressPosition.x
            menu.window.y += mouse.y - pressPosition.y
        }
    }

    Row {
        spacing: 1

        Rectangle {
            id: logo
            objectName: "logo"
            width: Defines.logoWidth
            height: Defines.menuHeight
            color: Defines.secondColor

            Image {
                anchors.fill: parent
                anchors.margins: 10
                fillMode: Image.PreserveAspectFit
                source: "qrc:/images/TIVOR.png"
            }
        }

        MenuItem {
            id: connectButton
            objectName: "connectButton"
            width: Defines.menuHeight
            height: Defines.menuHeight
            image: "qrc:/images/download.png"
            tip: menu.withKeys(qsTr("Соединение: прочитать память прибора"), connectKeys)
            onClicked: menu.connectButtonClicked()
        }

        MenuItem {
            id: saveButton
            objectName: "saveButton"
            width: Defines.menuHeight
            height: Defines.menuHeight
            image: "qrc:/images/disket.png"
            tip: menu.withKeys(qsTr("Сохранить в таблицу Excel"), saveKeys)
            onClicked: menu.saveButtonClicked()
        }

        MenuItem {
            id: openButton
            objectName: "openButton"
            width: Defines.menuHeight
            height: Defines.menuHeight
            image: "qrc:/images/folder.png"
            tip: menu.withKeys(qsTr("Открыть таблицу Excel"), openKeys)
            onClicked: menu.openButtonClicked()
        }

        MenuItem {
            id: settingsButton
            objectName: "settingsButton"
            width: Defines.menuHeight
            height: Defines.menuHeight
            image: "qrc:/images/gear.png"
            tip: qsTr("Настройки прибора")
            onClicked: menu.settingsButtonClicked()
        }

        MenuItem {
            id: reportButton
            objectName: "reportButton"
            width: Defines.menuHeight
            height: Defines.menuHeight
            image: "qrc:/images/report.png"
            tip: menu.withKeys(qsTr("Сохранить отчёт"), reportKeys)
            onClicked: menu.reportButtonClicked()
        }

        MenuItem {
            id: historyButton
            objectName: "historyButton"
            width: Defines.menuHeight
            height: Defines.menuHeight
            image: "qrc:/images/archive.png"
            tip: menu.withKeys(qsTr("Архив измерений"), historyKeys)
            onClicked: menu.historyButtonClicked()
        }
    }

    Text {
        id: identity
        objectName: "identity"
        anchors.centerIn: parent
        anchors.horizontalCenterOffset: 60
        horizontalAlignment: Text.AlignHCenter
        textFormat: Text.RichText
        text: menu.connected
              ? "<b>" + menu.escapeMarkup(menu.devNumber) + "</b><br>" + qsTr("тип: ")
                + menu.escapeMarkup(menu.devType)
              : "<b>" + qsTr("Прибор не подключен") + "</b><br>" + qsTr("поиск прибора...")
        color: "white"
        font.pixelSize: Defines.baseFontSize + 3
    }

    MenuItem {
        id: calibButton
        anchors.right: closeButton.left
        anchors.rightMargin: 20
        anchors.verticalCenter: parent.verticalCenter
        width: Defines.calibButtonWidth
        height: Defines.calibButtonHeight
        color1: "#de0009"
        colorMode: 1
        onClicked: menu.calibButtonClicked()

        Image {
            x: 10
            anchors.verticalCenter: parent.verticalCenter
            source: "qrc:/images/weight.png"
        }

        Text {
            anchors.centerIn: parent
            anchors.horizontalCenterOffset: 10
            text: qsTr("КАЛИБРОВКА")
            color: "white"
            font.pixelSize: Defines.baseFontSize
        }
    }

    MenuItem {
        id: closeButton
        objectName: "closeButton"
        anchors.right: parent.right
        width: Defines.menuHeight
        height: Defines.menuHeight
        image: "qrc:/images/close.png"
        tip: qsTr("Закрыть программу")
        onClicked: menu.window.close()
    }

    Rectangle {
        anchors.top: parent.bottom
        width: parent.width
        height: 4
        color: "#4D4D4D"
    }
}
