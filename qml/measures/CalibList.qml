import QtQuick 2.7
import QtQuick.Controls 2.0
import com.tivor.defines 1.0
import components 1.0

// The right-hand panel in calibration mode. Each test is a series of live measurements on one
// reference block, closed by typing the block's hardness; finishing lets Calibration fit the
// chosen scale and write it to the tester.
Item {
    id: calibList

    property var calibModel
    // The scale names; a new list goes to the combo box through onComboModelChanged.
    property var comboModel
    property alias comboBox: scaleCombo
    property var calibration
    property int testNumber: 1
    // A new list moves the combo box to its first entry; that is not the user's choice and
    // must not become the tester's current scale.
    property bool replacingScaleList: false
    // The fit the confirmation shows; OK writes exactly that one.
    property var fitPreview: ({ rows: [] })
    // Whether constants replaced by a calibration of the chosen scale can be written back.
    property bool undoAvailable: false

    signal updateChart
    signal calibEnd
    signal scalesItemChanged(string name)

    function logLine(number, value, text) {
        return qsTr("ТЕСТ ") + number + ": " + Number(value).toFixed(1) + " -> " + text + "\n"
    }

    // Tests of one run belong to one scale, so entering, leaving and a new scale start over.
    function clearTests() {
        testLog.text = ""
        testNumber = 1
        if (calibModel)
            calibModel.clear()
        if (calibration)
            calibration.clearTests()
    }

    function chooseScale(name) {
        clearTests()
        if (!replacingScaleList)
            scalesItemChanged(name || "")
        refreshUndo()
    }

    // The chosen scale is the tester's current one: that is the slot an undo writes.
    function refreshUndo() {
        var name = scaleCombo.textAt(scaleCombo.currentIndex)
        undoAvailable = !!calibration && !!name && calibration.canUndoScale(name)
    }

    function previewRowText(row) {
        return [row.referenceText, row.fittedText, row.differenceText]
    }

    function previewSummary(preview) {
        return qsTr("Наибольшая разница: %1    R²: %2")
            .arg(preview.maxDifferenceText || "")
            .arg(preview.rSquaredText !== undefined ? preview.rSquaredText : "—")
    }

    // Nothing is written yet: the user sees how the new constants meet each block first. A fit
    // that cannot be made is explained, and the tests stay for more blocks.
    function askToFinish() {
        var preview = calibration ? calibration.preview() : { ok: false, rows: [] }
        if (!preview.ok) {
            failedDialog.endsCalibration = false
            failedDialog.text = preview.failure ? preview.failure : qsTr("Калибровка не выполнена.")
            failedDialog.visible = true
            return
        }
        fitPreview = preview
        finishDialog.visible = true
    }

    function undoLastCalibration() {
        var done = calibration && calibration.undoLastCalibration()
        undoResultDialog.text = done ? qsTr("Коэффициенты, которые были до\nпоследней калибровки, восстановлены.")
                                     : calibration.failure()
        undoResultDialog.visible = true
        refreshUndo()
    }

    // A test needs measurements: without them nothing is recorded, and the log says only
    // what the fit will use.
    function askReference() {
        if (!calibModel || calibModel.rowCount() === 0) {
            emptyTestDialog.visible = true
            return
        }
        hardnessDialog.visible = true
    }

    // A reference that is no number keeps the test open, and the user is asked again.
    function closeTest(referenceText) {
        if (!calibModel || calibModel.rowCount() === 0) {
            emptyTestDialog.visible = true
            return
        }
        if (calibration && !calibration.isReadableReference(referenceText)) {
            referenceDialog.visible = true
            return
        }
        var average = calibration ? calibration.addTest(calibModel, referenceText) : 0
        testLog.text += logLine(testNumber, average, referenceText)
        testNumber += 1
    }

    // A fit that failed wrote nothing; the user is told why before calibration mode ends.
    function finishCalibration() {
        if (calibration && calibration.endTest()) {
            calibEnd()
            return
        }
        var reason = calibration ? calibration.failure() : ""
        failedDialog.endsCalibration = true
        failedDialog.text = reason !== "" ? reason : qsTr("Калибровка не выполнена.")
        failedDialog.visible = true
    }

    onVisibleChanged: {
        clearTests()
        refreshUndo()
    }
    onComboModelChanged: {
        replacingScaleList = true
        scaleCombo.model = comboModel
        replacingScaleList = false
    }

    RedComboBox {
        id: scaleCombo
        objectName: "scaleCombo"
        anchors.top: parent.top
        anchors.left: parent.left
        anchors.right: parent.right
        // currentText may still be the old entry here; textAt is not.
        onCurrentIndexChanged: calibList.chooseScale(textAt(currentIndex))
    }

    Rectangle {
        id: notice
        anchors.top: scaleCombo.bottom
        anchors.topMargin: 15
        anchors.left: parent.left
        anchors.right: parent.right
        height: Defines.warningAreaHeight
        color: "transparent"
        border.width: 1
        border.color: Defines.baseColor

        Text {
            anchors.centerIn: parent
            horizontalAlignment: Text.AlignHCenter
            textFormat: Text.RichText
            text: qsTr("Необходимо сделать<br>не менее <b>5 замеров!</b>")
            color: Defines.baseColor
            font.pixelSize: Defines.baseFontSize - 2
        }
    }

    Text {
        id: testLog
        objectName: "testLog"
        anchors.top: notice.bottom
        anchors.topMargin: 15
        anchors.left: parent.left
        color: Defines.baseColor
        font.pixelSize: Defines.baseFontSize + 1
    }

    ListView {
        id: list
        objectName: "calibMeasureList"
        anchors.top: testLog.bottom
        anchors.topMargin: 15
        anchors.bottom: undoButton.top
        anchors.bottomMargin: 10
        anchors.left: parent.left
        anchors.right: parent.right
        clip: true
        model: calibList.calibModel
        delegate: MeasureDelegate {}
        boundsBehavior: Flickable.StopAtBounds

        onCountChanged: calibList.updateChart()

        ScrollBar.vertical: RedScrollBar {
            opacity: list.contentHeight > list.height ? 1 : 0
        }
    }

    // A link rather than a button: it is the rare way back, not a step of the run.
    Text {
        id: undoButton
        objectName: "undoCalibrationButton"
        anchors.bottom: finishTestButton.top
        anchors.bottomMargin: 10
        anchors.left: parent.left
        anchors.right: parent.right
        enabled: calibList.undoAvailable
        opacity: enabled ? 1 : 0.35
        text: qsTr("ОТМЕНИТЬ ПОСЛЕДНЮЮ КАЛИБРОВКУ")
        color: Defines.baseColor
        font.pixelSize: Defines.baseFontSize - 1
        font.underline: undoMouse.containsMouse
        // Longer than the panel is wide in some looks: two lines rather than clipped.
        wrapMode: Text.WordWrap
        horizontalAlignment: Text.AlignHCenter

        MouseArea {
            id: undoMouse
            anchors.fill: parent
            hoverEnabled: true
            cursorShape: Qt.PointingHandCursor
            onClicked: {
                var name = scaleCombo.textAt(scaleCombo.currentIndex)
                undoDialog.keptSince = calibList.calibration.keptSince(name)
                undoDialog.visible = true
            }
        }
    }

    RedButton {
        id: finishTestButton
        objectName: "finishTestButton"
        anchors.bottom: finishCalibrationButton.top
        anchors.bottomMargin: 15
        anchors.left: parent.left
        anchors.right: parent.right
        colorMode: 1
        backColor0: Defines.baseColor
        textColor0: "white"
        text: qsTr("ЗАВЕРШИТЬ ТЕСТ")
        textFont.bold: true
        onClicked: calibList.askReference()
    }

    RedButton {
        id: finishCalibrationButton
        objectName: "finishCalibrationButton"
        anchors.bottom: parent.bottom
        anchors.bottomMargin: 10
        anchors.left: parent.left
        anchors.right: parent.right
        colorMode: 0
        backColor0: Defines.baseColor
        textColor0: "white"
        text: qsTr("ЗАВЕРШИТЬ КАЛИБРОВКУ")
        textFont.bold: true
        textFont.pixelSize: Defines.baseFontSize - 1
        onClicked: calibList.askToFinish()
    }

    RedInputDialog {
        id: hardnessDialog
        objectName: "hardnessDialog"
        x: root.x + (root.width - width) / 2
        y: root.y + (root.height - height) / 2
        onAccepted: calibList.closeTest(text)
    }

    // The question with the fit's table: per block its reference, what the new constants give
    // and the difference, then the largest difference and R².
    RedModalFrame {
        id: finishDialog
        objectName: "finishDialog"
        x: root.x + (root.width - width) / 2
        y: root.y + (root.height - height) / 2
        panelWidth: Defines.dialogWidth
        panelHeight: Math.max(Defines.dialogHeight,
                              previewColumn.y + previewColumn.height + 35 + Defines.buttonHeight + 20)
        onAccepted: calibList.finishCalibration()

        Column {
            id: previewColumn
            x: 20
            y: 20
            width: parent.width - 40
            spacing: 6

            Text {
                width: parent.width
                text: qsTr("Вы хотите завершить калибровку?")
                color: Defines.baseColor
                font.pixelSize: Defines.baseFontSize + 5
                fontSizeMode: Text.HorizontalFit
                minimumPixelSize: Defines.baseFontSize
            }

            Row {
                id: previewHeader
                width: parent.width
                Repeater {
                    model: [qsTr("Мера"), qsTr("По новым"), qsTr("Разница")]
                    Text {
                        width: previewHeader.width / 3
                        horizontalAlignment: Text.AlignRight
                        text: modelData
                        color: Defines.baseColor
                        font.pixelSize: Defines.baseFontSize + 1
                        font.bold: true
                        fontSizeMode: Text.HorizontalFit
                        minimumPixelSize: Defines.baseFontSize - 2
                    }
                }
            }

            ListView {
                id: previewRows
                objectName: "previewRows"
                width: parent.width
                // Eight blocks are shown at once; more scroll.
                height: Math.min(count, 8) * (Defines.baseFontSize + 10)
                clip: true
                boundsBehavior: Flickable.StopAtBounds
                model: calibList.fitPreview.rows
                delegate: Row {
                    width: previewRows.width
                    height: Defines.baseFontSize + 10
                    Repeater {
                        model: calibList.previewRowText(modelData)
                        Text {
                            width: previewRows.width / 3
                            anchors.verticalCenter: parent.verticalCenter
                            horizontalAlignment: Text.AlignRight
                            text: modelData
                            color: "#4b4b4b"
                            font.pixelSize: Defines.baseFontSize + 1
                        }
                    }
                }
                ScrollBar.vertical: RedScrollBar {
                    opacity: previewRows.contentHeight > previewRows.height ? 1 : 0
                }
            }

            RedLine {
                width: parent.width
            }

            Text {
                objectName: "previewSummary"
                width: parent.width
                horizontalAlignment: Text.AlignRight
                text: calibList.previewSummary(calibList.fitPreview)
                color: Defines.baseColor
                font.pixelSize: Defines.baseFontSize + 1
                fontSizeMode: Text.HorizontalFit
                minimumPixelSize: Defines.baseFontSize - 2
            }
        }
    }

    // After a failed write the run is over; a fit that could not be made leaves it open.
    RedDialog {
        id: failedDialog
        objectName: "calibrationFailedDialog"
        property bool endsCalibration: true
        x: root.x + (root.width - width) / 2
        y: root.y + (root.height - height) / 2
        cancelEnable: false
        onAccepted: if (endsCalibration) calibList.calibEnd()
        onCanceled: if (endsCalibration) calibList.calibEnd()
    }

    RedDialog {
        id: undoDialog
        objectName: "undoDialog"
        x: root.x + (root.width - width) / 2
        y: root.y + (root.height - height) / 2
        text: qsTr("Вернуть в прибор коэффициенты, которые\nбыли до калибровки %1?").arg(keptSince)
        property string keptSince: ""
        onAccepted: calibList.undoLastCalibration()
    }

    RedDialog {
        id: undoResultDialog
        objectName: "undoResultDialog"
        x: root.x + (root.width - width) / 2
        y: root.y + (root.height - height) / 2
        cancelEnable: false
    }

    RedDialog {
        id: emptyTestDialog
        objectName: "emptyTestDialog"
        x: root.x + (root.width - width) / 2
        y: root.y + (root.height - height) / 2
        cancelEnable: false
        text: qsTr("Тест не записан: в списке нет замеров.\n"
                   + "Сделайте замеры на мере, затем завершите тест.")
    }

    // The measurements stay in the list; OK takes the user back to the hardness entry.
    RedDialog {
        id: referenceDialog
        objectName: "referenceRefusedDialog"
        x: root.x + (root.width - width) / 2
        y: root.y + (root.height - height) / 2
        cancelEnable: false
        text: qsTr("Твердость меры не распознана. Введите\nчисло, например 45,5 или 45.5.")
        onAccepted: hardnessDialog.visible = true
    }
}
