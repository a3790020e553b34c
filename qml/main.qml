import QtQuick 2.7
import QtQuick.Window 2.2
import com.tivor.device 1.0
import com.tivor.calibration 1.0
import com.tivor.report 1.0
import com.tivor.archive 1.0
import com.tivor.defines 1.0
import components 1.0
import menu 1.0
import measures 1.0
import settings 1.0
import history 1.0

// Every window of the program, created at once; only the splash is shown at first. The
// functions below drive the tester from the menu bar and the side panels.
QtObject {
    id: app

    property Window appWindow: Window {
        id: root

        property bool calibMode: false
        // The scale lists are read from the tester once, and again after settings are applied.
        property bool isValidScales: false
        // The tester's current scale as last seen; -1 before it was asked.
        property int testerScale: -1

        // The designed size, but never more than the screen offers: at 144 dpi the design is
        // larger than a 1280 x 800 screen, whose close button and bottom controls would
        // otherwise lie out of reach.
        readonly property int fittedWidth: app.fitted(Defines.windowWidth,
                                                      Screen.desktopAvailableWidth)
        readonly property int fittedHeight: app.fitted(Defines.windowHeight,
                                                       Screen.desktopAvailableHeight)

        flags: Qt.FramelessWindowHint | Qt.Window
        width: fittedWidth
        height: fittedHeight
        minimumWidth: fittedWidth
        minimumHeight: fittedHeight
        title: qsTr("TIVOR")
        color: Defines.windowBackground

        Device {
            id: device

            // Plugged in after a start that found none: connected as the button does, unless
            // the user has filled the list meanwhile.
            onTesterFound: {
                if (device.measModel.rowCount() === 0) {
                    app.connectToDevice()
                    return
                }
                mainMenu.devNumber = device.id()
                app.readScaleLists()
                app.showFailure(qsTr("Прибор подключен. Чтобы прочитать его память,\n"
                                     + "нажмите кнопку \"Соединение\"."))
            }
            onOtherTesterConnected: {
                mainMenu.devNumber = identity
                root.isValidScales = false // its scales are not the ones read
                app.showFailure(qsTr("Подключен другой прибор: %1. Чтобы прочитать\n"
                                     + "его память, нажмите кнопку \"Соединение\".")
                                .arg(identity))
            }
        }

        ToleranceLimits {
            id: toleranceLimits
        }

        // Every measurement received is archived before it is shown, with the context in force.
        ArchiveRecorder {
            id: archiveRecorder
            objectName: "archiveRecorder"
            device: device
        }

        Connections {
            target: archiveRecorder.archive
            function onAvailabilityChanged() {
                if (!archiveRecorder.archive.available)
                    app.showFailure(archiveRecorder.archive.problem)
            }
        }

        ReportWriter {
            id: reportWriter
            objectName: "reportWriter"
            context: archiveRecorder.context.summary
        }

        // The figures of whatever the chart shows: the measurement list, or in calibration
        // mode the calibration list.
        MeasurementStatistics {
            id: statistics
            objectName: "statistics"
            model: graph.chartModel ? graph.chartModel : null
            limits: toleranceLimits
        }

        Menu {
            id: mainMenu
            objectName: "mainMenu"
            anchors.top: parent.top
            anchors.left: parent.left
            anchors.right: parent.right
            connected: device.connected

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
                    app.showFileFailure(device.saveToFile())
            }
            onOpenButtonClicked: {
                if (root.calibMode)
                    return
                var failure = device.openFromFile()
                graph.updateAxis()
                app.showFileFailure(failure)
            }
            onSettingsButtonClicked: {
                if (!device.isDeviceOpen())
                    app.warningDialog.visible = true
                else if (!root.calibMode)
                    app.openSettings()
            }
            onReportButtonClicked: {
                if (!root.calibMode)
                    app.saveReport()
            }
            onHistoryButtonClicked: {
                if (!root.calibMode)
                    app.history.visible = true
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
            anchors.bottom: contextPanel.top
            anchors.bottomMargin: 4
            chartModel: device.measModel
            statistics: statistics
        }

        ContextPanel {
            id: contextPanel
            objectName: "contextPanel"
            anchors.left: graph.left
            anchors.leftMargin: 10
            anchors.right: graph.right
            anchors.rightMargin: 10
            anchors.bottom: parent.bottom
            anchors.bottomMargin: 10
            context: archiveRecorder.context
        }

        Rectangle {
            id: averageRect
            // Inside the plot, clear of its top line, also where the high-DPI axis labels push
            // the plot further in than the designed 35 pixels.
            anchors.right: graph.right
            // Whole pixels, or the software renderer drops the right and bottom border.
            anchors.rightMargin: Math.max(35, Math.round(graph.width - graph.plotArea.x
                                                         - graph.plotArea.width + 8))
            anchors.top: graph.top
            anchors.topMargin: Math.max(35, Math.round(graph.plotArea.y + 8))
            // At least 150 x 30, larger when a wide font or the high-DPI size needs it.
            width: Math.max(150, Math.ceil(averageText.implicitWidth + 16))
            height: Math.max(30, Math.ceil(averageText.implicitHeight + 10))
            color: "white"
            border.width: 1
            border.color: "#BFBFBF"

            // The box keeps its look; a click opens the statistics behind it.
            MouseArea {
                objectName: "averageBox"
                anchors.fill: parent
                cursorShape: Qt.PointingHandCursor
                onClicked: app.openStatistics()
            }

            // The chart's rows: the measurement list, or in calibration mode the calibration list.
            Text {
                id: averageText
                objectName: "averageText"
                anchors.centerIn: parent
                textFormat: Text.RichText
                text: "<b>" + qsTr("СРЕД. ЗНАЧЕНИЕ:") + "</b> " + statistics.averageText
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
            statistics: statistics
            comboModel: device.scalesModel.visibleMeasScaleNames()

            onUpdateChart: graph.updateAxis()
            onClearMemory: app.askClearMemory()
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
                archive: archiveRecorder.archive
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
                root.testerScale = number
                comboBox.currentIndex = comboBox.find(device.scalesModel.scaleName(number))
            }
        }

        ResizeArea {
            enabled: root.visibility !== Window.Maximized
        }

        // A workbook dropped on the window opens as with the open button.
        DropArea {
            anchors.fill: parent
            keys: ["text/uri-list"]
            onEntered: drag.accepted = !root.calibMode && drag.urls.length === 1
                       && /\.xlsx$/i.test(drag.urls[0])
            onDropped: {
                var failure = device.openFromFile(drop.urls[0])
                graph.updateAxis()
                app.showFileFailure(failure)
            }
        }
    }

    property Splash splashWindow: Splash {
        // The connection waits for the main window's first frame: it blocks for the settling
        // pause and the memory read, and the window would stay undrawn until it ends.
        onTimeout: {
            app.connectOnceDrawn = true
            app.appWindow.visible = true
        }
    }

    property bool connectOnceDrawn: false

    property Connections firstFrame: Connections {
        target: root
        function onFrameSwapped() {
            if (!app.connectOnceDrawn)
                return
            app.connectOnceDrawn = false
            Qt.callLater(function() {
                app.connectToDevice()
                app.tellSettingsNotice()
            })
        }
    }

    // What start-up mended in the settings file, told once: after the first connection, so
    // that its boxes do not cover the notice.
    function tellSettingsNotice() {
        var notice = device.takeSettingsNotice()
        if (notice === "")
            notice = archiveRecorder.archive.problem // a damaged archive set aside, or none
        if (notice !== "")
            showFailure(notice)
    }

    // The tester's memory is cleared only once the archive holds all it gave.
    function askClearMemory() {
        if (!archiveRecorder.memoryKept()) {
            showFailure(qsTr("Память не очищена: в архиве нет всех замеров последнего\n"
                             + "чтения. Нажмите \"Соединение\" и повторите."))
            return
        }
        memoryDialog.text = qsTr("В архиве сохранены все замеры последнего чтения (%1).\n"
                                 + "Очистить память прибора?").arg(archiveRecorder.memoryCount())
        memoryDialog.visible = true
    }

    property HistoryWindow history: HistoryWindow {
        objectName: "historyWindow"
        recorder: archiveRecorder
        onOpened: {
            graph.updateAxis()
            if (rows > 0)
                visible = false
        }
    }

    property Settings settings: Settings {
        x: root.x + (root.width - width) / 2
        y: root.y + (root.height - height) / 2
        scalesModel: device.scalesModel

        onAcceptButtonClicked: {
            var timeSet = device.setTime(date)
            // Scales with an unread slot are not written at all (the window said so).
            var scalesKnown = device.scalesModel.allRead
            var scalesSet = scalesKnown && device.setScales()
            if (scalesSet)
                device.scalesModel.clearModifiedIndexes()
            // A mask could switch on a user scale whose slot was not written.
            var maskSet = scalesSet && device.setVisibleScales()
            rightPanel.comboModel = device.scalesModel.visibleMeasScaleNames()
            if (timeSet && scalesSet && maskSet) {
                root.isValidScales = false
                return
            }
            // The changes the tester did not take stay in the window for another try.
            app.showFailure(scalesKnown
                            ? qsTr("Прибор принял не все изменения. Они остались в окне "
                                   + "настроек:\nпроверьте связь и нажмите \"ПРИМЕНИТЬ\" ещё раз.")
                            : qsTr("Шкалы не записаны: не все шкалы прочитаны из прибора."),
                            true)
        }
    }

    property StatisticsPanel statisticsPanel: StatisticsPanel {
        x: root.x + (root.width - width) / 2
        y: root.y + (root.height - height) / 2
        statistics: statistics
        limits: toleranceLimits
    }

    property RedDialog reportFailedDialog: RedDialog {
        x: root.x + (root.width - width) / 2
        y: root.y + (root.height - height) / 2
        cancelEnable: false
    }

    // A memory read shows how far it is and can be stopped; its rows so far are kept.
    property RedDialog waitDialog: RedDialog {
        objectName: "waitDialog"
        x: root.x + (root.width - width) / 2
        y: root.y + (root.height - height) / 2
        acceptEnable: false
        cancelEnable: device.readTotal > 0
        text: device.readTotal > 0
              ? qsTr("Подождите...") + "\n"
                + qsTr("%1 из %2").arg(device.readProgress).arg(device.readTotal)
              : qsTr("Подождите...")
        onCanceled: device.cancelRead()
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

    // A command the tester did not carry out, and what the user can do about it.
    property RedDialog failureDialog: RedDialog {
        objectName: "failureDialog"
        x: root.x + (root.width - width) / 2
        y: root.y + (root.height - height) / 2
        cancelEnable: false
        text: ""

        // Set when the settings window closed with changes the tester did not take.
        property bool reopenSettings: false

        onVisibleChanged: {
            if (visible || !reopenSettings)
                return
            reopenSettings = false
            settings.visible = true
        }
    }

    property RedDialog memoryDialog: RedDialog {
        x: root.x + (root.width - width) / 2
        y: root.y + (root.height - height) / 2
        text: qsTr("Вы точно хотите очистить память устройства?")
        onAccepted: {
            if (!device.clearMemory())
                app.showFailure(qsTr("Память прибора не очищена. Проверьте связь и повторите."))
        }
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

    // A screen that reports no size leaves the designed one.
    function fitted(designed, available) {
        return available > 0 ? Math.min(designed, available) : designed
    }

    // The file slots give an empty text on success or cancel.
    function showFileFailure(failure) {
        if (!failure)
            return
        showFailure(failure)
    }

    // The tester's clock, or the computer's when the tester gave no readable time: the
    // settings window must never start from an invalid date.
    function clockStart(testerTime) {
        if (testerTime instanceof Date && !isNaN(testerTime.getTime()))
            return testerTime
        return new Date()
    }

    function showFailure(text, backToSettings) {
        failureDialog.text = text
        failureDialog.reopenSettings = backToSettings === true
        failureDialog.visible = true
    }

    function readScaleLists() {
        // A slot left unknown by a write is read again too.
        if (root.isValidScales && device.scalesModel.allRead)
            return
        // A read that missed a slot is tried again the next time.
        var scalesRead = device.readScales()
        device.visibleScales()
        rightPanel.comboModel = device.scalesModel.visibleMeasScaleNames()
        root.isValidScales = scalesRead
    }

    function connectToDevice(portName) {
        waitDialog.visible = true
        var read = device.connect(portName === undefined ? "" : portName)
        if (device.isDeviceOpen()) {
            mainMenu.devNumber = device.testerIdentity() // read by the connection itself
            readScaleLists()
            graph.updateAxis()
        } else {
            warningDialog.visible = true
        }
        waitDialog.visible = false
        // A read the user stopped needs no word; one the line cut short does.
        if (!read && device.isDeviceOpen() && !device.readCancelled)
            showFailure(qsTr("Память прибора прочитана не полностью. Проверьте\n"
                             + "связь и нажмите кнопку \"Соединение\" ещё раз."))
    }

    function calibrationSwitch() {
        root.calibMode = !root.calibMode
        device.setCalibMode(root.calibMode)
        mainMenu.modeSwitch()
        rightPanel.visible = !root.calibMode
        rightPanel2.visible = root.calibMode
        graph.chartModel = root.calibMode ? device.calibMeasModel : device.measModel
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

    // Limits can be set for every scale the tester offers and every scale in the list.
    function limitScaleNames() {
        var names = device.scalesModel.visibleScaleNames()
        var inList = device.measModel.scales
        for (var i = 1; i < inList.rowCount(); ++i) {
            var name = inList.data(inList.index(i, 0))
            if (names.indexOf(name) < 0)
                names.push(name)
        }
        return names
    }

    // The chart goes into the report as it is on screen; the grab is ready a frame later.
    function saveReport() {
        graph.grabToImage(function(result) {
            var filter = rightPanel.filterText()
            if (!reportWriter.saveReport(statistics, mainMenu.devNumber, filter, result.image)
                    && reportWriter.errorString !== "") {
                reportFailedDialog.text = qsTr("Отчёт не сохранён:\n%1").arg(reportWriter.errorString)
                reportFailedDialog.visible = true
            }
        })
    }

    function openStatistics() {
        statisticsPanel.scaleNames = limitScaleNames()
        statisticsPanel.visible = true
    }

    function scaleSwitch(name) {
        if (name === "")
            return
        var number = device.scalesModel.scaleNumber(name)
        if (number < 0)
            return
        // Refused while another command waits: the tester kept the scale it had.
        var refused = device.isBusy()
        if (device.setCurrentScaleNumber(number)) {
            root.testerScale = number
            return
        }
        // No answer: ask which scale the tester holds now.
        var current = refused ? root.testerScale : device.currentScaleNumber()
        if (current === number) {
            root.testerScale = number
            return // it took the scale; only its answer was lost
        }
        // The calibration list shows the tester's scale again.
        if (root.calibMode && current >= 0) {
            rightPanel2.replacingScaleList = true
            rightPanel2.comboBox.currentIndex =
                    rightPanel2.comboBox.find(device.scalesModel.scaleName(current))
            rightPanel2.replacingScaleList = false
        }
        showFailure(qsTr("Прибор не переключил шкалу. Выберите её ещё раз."))
    }
}
