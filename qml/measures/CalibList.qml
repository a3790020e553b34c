import QtQuick 2.7
import QtQuick.Controls 2.0
import com.tivor.defines 1.0
import "../components/"

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
    }

    // An empty list still gets its line, with 0.0; Calibration records nothing for it. A
    // reference that is no number keeps the test open, and the user is asked again.
    function closeTest(referenceText) {
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
        failedDialog.text = reason !== "" ? reason : qsTr("Калибровка не выполнена.")
        failedDialog.visible = true
    }

    onVisibleChanged: clearTests()
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
        anchors.bottom: finishTestButton.top
        anchors.bottomMargin: 15
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
        onClicked: hardnessDialog.visible = true
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
        onClicked: finishDialog.visible = true
    }

    RedInputDialog {
        id: hardnessDialog
        objectName: "hardnessDialog"
        x: root.x + (root.width - width) / 2
        y: root.y + (root.height - height) / 2
        onAccepted: calibList.closeTest(text)
    }

    RedDialog {
        id: finishDialog
        objectName: "finishDialog"
        x: root.x + (root.width - width) / 2
        y: root.y + (root.height - height) / 2
        text: qsTr("Вы хотите завершить калибровку?")
        onAccepted: calibList.finishCalibration()
    }

    RedDialog {
        id: failedDialog
        objectName: "calibrationFailedDialog"
        x: root.x + (root.width - width) / 2
        y: root.y + (root.height - height) / 2
        cancelEnable: false
        onAccepted: calibList.calibEnd()
        onCanceled: calibList.calibEnd()
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
