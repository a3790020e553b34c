import QtQuick 2.7
import QtQuick.Window 2.2
import com.tivor.device 1.0
import com.tivor.calibration 1.0
import com.tivor.defines 1.0
import "components/"
import "menu/"
import "measures/"
import "settings/"

// Every window of the program, created at once; only the splash is shown at first. The
// functions below drive the tester from the menu bar and the side panels.
QtObject {
    id: app

    property Window appWindow: Window {
        id: root

        property bool calibMode: false
        // The scale lists are read from the tester once, and again after settings are applied.
        property bool isValidScales: false

        flags: Qt.FramelessWindowHint | Qt.Window
        width: Defines.windowWidth
        height: Defines.windowHeight
        minimumWidth: Defines.windowWidth
        minimumHeight: Defines.windowHeight
        title: qsTr("TIVOR")
        color: Defines.windowBackground

        Device {
            id: device
        }

        Menu {
            id: mainMenu
            objectName: "mainMenu"
            anchors.top: parent.top
            anchors.left: parent.left
            anchors.right: parent.right

            onConnectButtonClicked: {
                if (root.calibMode)
                    return
                if (device.autoConnect())
                    app.connectToDevice()
                else
                    app.portsDialog.visible = true
            }
            onSaveButtonClicked: {
                if (!root.calibMode)
                    device.saveToFile()
            }
            onOpenButtonClicked: {
                if (root.calibMode)
                    return
                device.openFromFile()
                graph.updateAxis()
            }
            onSettingsButtonClicked: {
                if (!device.isDeviceOpen())
                    app.warningDialog.visible = true
                else if (!root.calibMode)
                    app.openSettings()
            }
            onCalibButtonClicked: {
                if (device.isDeviceOpen() && device.id() !== "")
                    app.calibrationSwitch()
                else
                    app.warningDialog.visible = true
            }
        }

        Chart {
            id: graph
            objectName: "graph"
            anchors.top: mainMenu.bottom
            anchors.topMargin: 10
            anchors.left: parent.left
            anchors.right: rightPanel.left
            anchors.bottom: parent.bottom
            chartModel: device.measModel
        }

        Rectangle {
            id: averageRect
            anchors.right: graph.right
            anchors.rightMargin: 35
            anchors.top: graph.top
            anchors.topMargin: 35
            // At least 150 x 30, wider when a wide font or the high-DPI size needs it.
            width: Math.max(150, Math.max(averageText.implicitWidth,
                                          averageCalibText.implicitWidth) + 16)
            height: 30
            color: "white"
            border.width: 1
            border.color: "#BFBFBF"

            Text {
                id: averageText
                anchors.centerIn: parent
                textFormat: Text.RichText
                text: "<b>" + qsTr("СРЕД. ЗНАЧЕНИЕ:") + "</b> " + device.measModel.average
                font.pixelSize: Defines.baseFontSize
            }

            Text {
                id: averageCalibText
                anchors.centerIn: parent
                visible: false
                textFormat: Text.RichText
                text: "<b>" + qsTr("СРЕД. ЗНАЧЕНИЕ:") + "</b> " + device.calibMeasModel.average
                font.pixelSize: Defines.baseFontSize
            }
        }

        MeasureList {
            id: rightPanel
            objectName: "rightPanel"
            anchors.top: mainMenu.bottom
            anchors.topMargin: 20
            anchors.bottom: parent.bottom
            anchors.right: parent.right
            anchors.rightMargin: 10
            width: Defines.rightPanelWidth
            measModel: device.measModel
            comboModel: device.scalesModel.visibleMeasScaleNames()

            onUpdateChart: graph.updateAxis()
            onClearMemory: app.memoryDialog.visible = true
            onScalesItemChanged: app.scaleSwitch(name)
        }

        CalibList {
            id: rightPanel2
            objectName: "rightPanel2"
            anchors.fill: rightPanel
            visible: false
            calibModel: device.calibMeasModel
            calibration: Calibration {
                id: calibration
                objectName: "calibration"
                device: device
            }

            onUpdateChart: graph.updateAxis()
            onScalesItemChanged: app.scaleSwitch(name)
            onCalibEnd: app.calibrationSwitch()
            // Calibration belongs to the tester's current scale: preselect it.
            onVisibleChanged: {
                if (!visible)
                    return
                comboModel = device.scalesModel.visibleScaleNames()
                var number = device.currentScaleNumber()
                comboBox.currentIndex = comboBox.find(device.scalesModel.scaleName(number))
            }
        }

        ResizeArea {
            enabled: root.visibility !== Window.Maximized
        }
    }

    property Splash splashWindow: Splash {
        onTimeout: {
            app.appWindow.visible = true
            app.connectToDevice()
        }
    }

    property Settings settings: Settings {
        x: root.x + (root.width - width) / 2
        y: root.y + (root.height - height) / 2
        scalesModel: device.scalesModel

        onAcceptButtonClicked: {
            root.isValidScales = false
            device.setTime(date)
            device.setScales()
            device.scalesModel.clearModifiedIndexes()
            device.setVisibleScales()
            rightPanel.comboModel = device.scalesModel.visibleMeasScaleNames()
        }
    }

    property RedDialog waitDialog: RedDialog {
        x: root.x + (root.width - width) / 2
        y: root.y + (root.height - height) / 2
        acceptEnable: false
        cancelEnable: false
        text: qsTr("Подождите...")
    }

    property RedDialog warningDialog: RedDialog {
        x: root.x + (root.width - width) / 2
        y: root.y + (root.height - height) / 2
        cancelEnable: false
        // A port that is there but not ours needs the user's action, not a cable check.
        text: device.deniedPortName !== ""
              ? qsTr("Нет прав на порт %1. Выполните в терминале\n"
                     + "sudo usermod -aG dialout $USER и перезайдите.").arg(device.deniedPortName)
              : qsTr("Прибор не найден. Проверьте подключение кабеля,\n"
                     + "включите прибор и нажмите кнопку \"Соединение\".")
    }

    property RedDialog memoryDialog: RedDialog {
        x: root.x + (root.width - width) / 2
        y: root.y + (root.height - height) / 2
        text: qsTr("Вы точно хотите очистить память устройства?")
        onAccepted: device.clearMemory()
    }

    property RedDialog portsDialog: RedDialog {
        x: root.x + (root.width - width) / 2
        y: root.y + (root.height - height) / 2
        text: "COM:"
        onAccepted: app.connectToDevice(portsCombo.currentText)

        RedComboBox {
            id: portsCombo
            anchors.centerIn: parent
            width: 150
            model: device.availablePorts()
        }
    }

    // The tester's clock, or the computer's when the tester gave no readable time: the
    // settings window must never start from an invalid date.
    function clockStart(testerTime) {
        if (testerTime instanceof Date && !isNaN(testerTime.getTime()))
            return testerTime
        return new Date()
    }

    function readScaleLists() {
        if (root.isValidScales)
            return
        device.readScales()
        device.visibleScales()
        rightPanel.comboModel = device.scalesModel.visibleMeasScaleNames()
        root.isValidScales = true
    }

    function connectToDevice(portName) {
        waitDialog.visible = true
        if (device.connect(portName === undefined ? "" : portName) && device.isDeviceOpen()) {
            mainMenu.devNumber = device.id()
            readScaleLists()
            graph.updateAxis()
        } else {
            warningDialog.visible = true
        }
        waitDialog.visible = false
    }

    function calibrationSwitch() {
        root.calibMode = !root.calibMode
        device.setCalibMode(root.calibMode)
        mainMenu.modeSwitch()
        rightPanel.visible = !root.calibMode
        rightPanel2.visible = root.calibMode
        graph.chartModel = root.calibMode ? device.calibMeasModel : device.measModel
        averageText.visible = !root.calibMode
        averageCalibText.visible = root.calibMode
        graph.updateAxis()
    }

    function openSettings() {
        waitDialog.visible = true
        if (device.isDeviceOpen() && device.id() !== "") {
            readScaleLists()
            settings.setDate(clockStart(device.time()))
            settings.visible = true
        } else {
            warningDialog.visible = true
        }
        waitDialog.visible = false
    }

    function scaleSwitch(name) {
        if (name === "")
            return
        var number = device.scalesModel.scaleNumber(name)
        if (number >= 0)
            device.setCurrentScaleNumber(number)
    }
}
