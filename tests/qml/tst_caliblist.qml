import QtQuick 2.7
import QtTest 1.1
import com.tivor.defines 1.0
import measures 1.0

// The calibration panel: the test log, the resets, and how finishing ends calibration mode.
Item {
    id: root
    width: 800
    height: 530

    // The calibration measurements: the roles the rows read and the calls they make.
    ListModel {
        id: measurements

        function setFirstIndex(index) {}
        function setSecondIndex(index) {}

        function addMeasurement(hardness) {
            append({ "checkedValue": false, "dateTime": new Date(2024, 4, 1, 9, 30),
                       "hardness": hardness })
        }
    }

    // Records what the panel asks of Calibration. A test's mean is ten times its row count
    // plus a little that the log's one decimal must round away.
    QtObject {
        id: calibration

        property var references: []
        property int clearCount: 0
        property int endCount: 0
        property bool fitSucceeds: true
        property bool previewSucceeds: true
        property string failureText: "Калибровка не выполнена: причина"
        property var keptScales: []
        property int undoCount: 0
        property bool undoSucceeds: true

        // Two tests against a fit: what Calibration gives, texts included.
        function preview() {
            if (!previewSucceeds)
                return { ok: false, failure: "Калибровка не выполнена: нужно не менее", rows: [] }
            return { ok: true, maxDifference: 1.5, maxDifferenceText: "1.5",
                     rSquared: 0.9876, rSquaredText: "0.9876",
                     rows: [{ referenceText: "30.0", fittedText: "31.5", differenceText: "+1.5" },
                            { referenceText: "60.0", fittedText: "59.0", differenceText: "-1.0" }] }
        }

        function canUndoScale(name) {
            return keptScales.indexOf(name) >= 0
        }

        function keptSince(name) {
            return canUndoScale(name) ? "01.05.2024 09:30" : ""
        }

        function undoLastCalibration() {
            undoCount += 1
            if (undoSucceeds)
                keptScales = []
            return undoSucceeds
        }

        function isReadableReference(text) {
            return /^\s*[0-9]+([.,][0-9]+)?\s*$/.test(text)
        }

        function failure() {
            return fitSucceeds && undoSucceeds ? "" : failureText
        }

        function addTest(model, text) {
            var rows = model.count
            if (rows === 0)
                return 0
            references.push(text)
            model.clear()
            return rows * 10 + 0.04
        }

        function endTest() {
            endCount += 1
            return fitSucceeds
        }

        function clearTests() {
            clearCount += 1
            references = []
        }
    }

    CalibList {
        id: panel
        width: Defines.rightPanelWidth
        height: 480
        calibModel: measurements
        calibration: calibration
        comboModel: ["HRC", "HB", "HV"]
    }

    SignalSpy { id: calibEndSpy; target: panel; signalName: "calibEnd" }
    SignalSpy { id: scaleSpy; target: panel; signalName: "scalesItemChanged" }
    SignalSpy { id: chartSpy; target: panel; signalName: "updateChart" }

    TestCase {
        name: "CalibList"
        when: windowShown

        property var testLog
        property var hardnessDialog
        property var finishDialog
        property var failedDialog
        property var referenceDialog
        property var undoButton
        property var undoDialog
        property var undoResultDialog

        function initTestCase() {
            testLog = findChild(panel, "testLog")
            hardnessDialog = findChild(panel, "hardnessDialog")
            finishDialog = findChild(panel, "finishDialog")
            failedDialog = findChild(panel, "calibrationFailedDialog")
            referenceDialog = findChild(panel, "referenceRefusedDialog")
            verify(testLog && hardnessDialog && finishDialog && failedDialog && referenceDialog)
            undoButton = findChild(panel, "undoCalibrationButton")
            undoDialog = findChild(panel, "undoDialog")
            undoResultDialog = findChild(panel, "undoResultDialog")
            verify(undoButton && undoDialog && undoResultDialog)
        }

        function init() {
            panel.visible = true
            panel.comboBox.currentIndex = 0
            panel.clearTests()
            calibration.fitSucceeds = true
            calibration.previewSucceeds = true
            calibration.keptScales = []
            calibration.undoCount = 0
            calibration.undoSucceeds = true
            calibration.clearCount = 0
            calibration.endCount = 0
            hardnessDialog.text = ""
            calibEndSpy.clear()
            scaleSpy.clear()
            chartSpy.clear()
        }

        function closeTest(rows, reference) {
            for (var i = 0; i < rows; ++i)
                measurements.addMeasurement("45.0")
            mouseClick(findChild(panel, "finishTestButton"))
            verify(hardnessDialog.visible)
            hardnessDialog.text = reference
            hardnessDialog.accept()
        }

        function finish() {
            mouseClick(findChild(panel, "finishCalibrationButton"))
            verify(finishDialog.visible)
            finishDialog.accept()
        }

        function test_eachClosedTestAddsALogLineAndTheNextNumber() {
            closeTest(5, "45,5")
            closeTest(2, "60")
            compare(testLog.text, "ТЕСТ 1: 50.0 -> 45,5\nТЕСТ 2: 20.0 -> 60\n")
            compare(panel.testNumber, 3)
            compare(calibration.references, ["45,5", "60"])
            compare(measurements.count, 0)
            compare(hardnessDialog.text, "60", "the last reference stays for the next test")
        }

        function test_testWithoutMeasurementsIsNotLoggedAndTheUserIsToldWhy() {
            mouseClick(findChild(panel, "finishTestButton"))
            verify(!hardnessDialog.visible, "no reference is asked for nothing")
            var empty = findChild(panel, "emptyTestDialog")
            verify(empty.visible)
            empty.accept()
            compare(testLog.text, "")
            compare(panel.testNumber, 1)
            compare(calibration.references, [])
        }

        function test_anotherScaleDiscardsTheTestsSoFar() {
            closeTest(3, "45,5")
            measurements.addMeasurement("44.0")
            panel.comboBox.currentIndex = 2

            compare(testLog.text, "")
            compare(panel.testNumber, 1)
            compare(measurements.count, 0)
            compare(calibration.clearCount, 1)
            compare(calibration.references, [])
            compare(scaleSpy.count, 1)
            compare(scaleSpy.signalArguments[0][0], "HV", "the new entry's name, not the old one")
        }

        function test_newScaleListDoesNotSwitchTheTesterScale() {
            panel.comboBox.currentIndex = 2
            closeTest(3, "45,5")
            scaleSpy.clear()
            panel.comboModel = ["HRC", "HB", "HV", "U1"]

            compare(scaleSpy.count, 0, "the first entry, selected by the refill, is not sent")
            compare(testLog.text, "", "a new list still starts over")
            panel.comboBox.currentIndex = panel.comboBox.find("HV")
            compare(scaleSpy.count, 1)
            compare(scaleSpy.signalArguments[0][0], "HV")
            panel.comboModel = ["HRC", "HB", "HV"]
        }

        function test_enteringOrLeavingCalibrationModeStartsOver() {
            closeTest(3, "45,5")
            panel.visible = false
            compare(testLog.text, "")
            compare(panel.testNumber, 1)
            compare(calibration.clearCount, 1)

            panel.visible = true
            closeTest(3, "50")
            panel.visible = false
            panel.visible = true
            compare(testLog.text, "")
            compare(panel.testNumber, 1)
            compare(calibration.references, [])
        }

        function test_rowCountChangesRefitTheChart() {
            var list = findChild(panel, "calibMeasureList")
            measurements.addMeasurement("45.0")
            list.forceLayout()
            compare(chartSpy.count, 1)
            measurements.clear()
            list.forceLayout()
            compare(chartSpy.count, 2)
        }

        function test_successfulFitEndsCalibrationAtOnce() {
            closeTest(5, "30")
            closeTest(5, "60")
            finish()
            compare(calibration.endCount, 1)
            compare(calibEndSpy.count, 1)
            verify(!failedDialog.visible)
        }

        function test_failedFitIsReportedBeforeCalibrationEnds_data() {
            return [
                { tag: "OK", close: function() { failedDialog.accept() } },
                { tag: "Escape", close: function() { failedDialog.cancel() } }
            ]
        }

        function test_failedFitIsReportedBeforeCalibrationEnds(data) {
            calibration.fitSucceeds = false
            closeTest(5, "30")
            finish()

            compare(calibration.endCount, 1)
            verify(failedDialog.visible)
            verify(!failedDialog.cancelEnable, "a message, not a question")
            compare(failedDialog.text, calibration.failureText, "the reason Calibration gives")
            compare(calibEndSpy.count, 0, "calibration mode stays until the user has read it")
            data.close()
            compare(calibEndSpy.count, 1)
        }

        function test_unreadableReferenceKeepsTheTestOpenAndAsksAgain() {
            closeTest(3, "сорок пять")
            verify(referenceDialog.visible, "the user is told")
            compare(testLog.text, "")
            compare(panel.testNumber, 1)
            compare(measurements.count, 3, "the measurements wait for a readable reference")
            referenceDialog.accept()
            verify(hardnessDialog.visible, "and asked again")
            hardnessDialog.text = "45.5"
            hardnessDialog.accept()
            compare(testLog.text, "ТЕСТ 1: 30.0 -> 45.5\n")
            compare(calibration.references, ["45.5"])
            compare(measurements.count, 0)
        }

        function test_cancelingEitherDialogChangesNothing() {
            closeTest(5, "30")
            measurements.addMeasurement("45.0")
            mouseClick(findChild(panel, "finishTestButton"))
            hardnessDialog.cancel()
            mouseClick(findChild(panel, "finishCalibrationButton"))
            finishDialog.cancel()

            compare(testLog.text, "ТЕСТ 1: 50.0 -> 30\n")
            compare(panel.testNumber, 2)
            compare(measurements.count, 1)
            compare(calibration.endCount, 0)
            compare(calibEndSpy.count, 0)
        }

        function test_confirmationShowsEveryTestAgainstTheFitBeforeWriting() {
            closeTest(5, "30")
            closeTest(5, "60")
            mouseClick(findChild(panel, "finishCalibrationButton"))
            verify(finishDialog.visible)
            compare(calibration.endCount, 0, "nothing is written before OK")
            var rows = findChild(finishDialog, "previewRows")
            compare(rows.count, 2)
            compare(panel.previewRowText(panel.fitPreview.rows[1]), ["60.0", "59.0", "-1.0"])
            compare(findChild(finishDialog, "previewSummary").text,
                    "Наибольшая разница: 1.5    R²: 0.9876")
            finishDialog.accept()
            compare(calibration.endCount, 1)
            compare(calibEndSpy.count, 1)
        }

        function test_cancelledConfirmationKeepsTheTestsForMore() {
            closeTest(5, "30")
            closeTest(5, "60")
            mouseClick(findChild(panel, "finishCalibrationButton"))
            finishDialog.cancel()
            compare(calibration.endCount, 0)
            compare(calibration.clearCount, 0)
            compare(calibration.references, ["30", "60"])
            closeTest(5, "45")
            compare(panel.testNumber, 4, "the run goes on")
        }

        function test_fitThatCannotBeMadeSaysWhyAndTheRunGoesOn() {
            calibration.previewSucceeds = false
            closeTest(5, "30")
            mouseClick(findChild(panel, "finishCalibrationButton"))
            verify(!finishDialog.visible, "no table without a fit")
            verify(failedDialog.visible)
            compare(failedDialog.text, "Калибровка не выполнена: нужно не менее")
            failedDialog.accept()
            compare(calibration.endCount, 0)
            compare(calibEndSpy.count, 0, "the user may add another block")
            compare(calibration.references, ["30"])
        }

        function test_undoIsOfferedOnlyForAScaleWithKeptConstantsAndOnlyOnce() {
            verify(!undoButton.enabled)
            calibration.keptScales = ["HB"]
            panel.comboBox.currentIndex = 1
            verify(undoButton.enabled)
            panel.comboBox.currentIndex = 2
            verify(!undoButton.enabled, "HV has nothing kept")
            panel.comboBox.currentIndex = 1

            mouseClick(undoButton)
            verify(undoDialog.visible)
            verify(undoDialog.text.indexOf("01.05.2024 09:30") >= 0, "the date of what is undone")
            undoDialog.cancel()
            compare(calibration.undoCount, 0)
            mouseClick(undoButton)
            undoDialog.accept()
            compare(calibration.undoCount, 1)
            verify(undoResultDialog.visible)
            undoResultDialog.accept()
            verify(!undoButton.enabled, "the record is gone")
        }

        function test_failedUndoShowsTheReasonAndStaysOffered() {
            calibration.keptScales = ["HRC"]
            calibration.undoSucceeds = false
            panel.refreshUndo()
            mouseClick(undoButton)
            undoDialog.accept()
            verify(undoResultDialog.visible)
            compare(undoResultDialog.text, calibration.failureText)
            undoResultDialog.accept()
            verify(undoButton.enabled)
        }
    }
}
