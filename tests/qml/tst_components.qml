import QtQuick 2.7
import QtTest 1.2
import com.tivor.defines 1.0
import com.tivor.desktop 1.0
import components 1.0

// The shared components: hover colours, the modal boxes' keys and buttons, corner resizing.
Item {
    id: root
    width: 400
    height: 300

    RedButton {
        id: button
        x: 100
        y: 100
        text: "OK"
    }

    RedDialog {
        id: dialog
        text: "Подождите..."
    }

    RedInputDialog {
        id: inputDialog
    }

    RedComboBox {
        id: combo
        x: 10
        y: 250
        width: 120
        model: ["Удалить", "Снять выделение", "Очистить память"]
    }

    SignalSpy { id: clickSpy; target: button; signalName: "clicked" }
    SignalSpy { id: acceptedSpy; target: dialog; signalName: "accepted" }
    SignalSpy { id: canceledSpy; target: dialog; signalName: "canceled" }

    TestCase {
        name: "RedButton"
        when: windowShown

        function init() {
            mouseMove(root, 10, 10)
            button.colorMode = 0
            clickSpy.clear()
        }

        function test_hoverShowsTheOtherSetAndLeavingRestoresIt() {
            mouseMove(button, 10, 10)
            compare(button.colorMode, 1)
            compare(button.color, "#4b4b4b")
            mouseMove(button, 20, 15)
            compare(button.colorMode, 1, "moving inside is not a hover change")
            mouseMove(root, 10, 10)
            compare(button.colorMode, 0)
            compare(button.color, "#ffffff")
        }

        function test_aButtonRestingInSetOneShowsSetZeroUnderThePointer() {
            button.colorMode = 1
            mouseMove(button, 10, 10)
            compare(button.colorMode, 0)
            mouseMove(root, 10, 10)
            compare(button.colorMode, 1)
        }

        function test_clickEmitsClickedAndLeavesTheRestingSetAfterwards() {
            mouseMove(button, 10, 10)
            mouseClick(button)
            compare(clickSpy.count, 1)
            mouseMove(root, 10, 10)
            compare(button.colorMode, 0)
        }
    }

    TestCase {
        name: "RedDialog"
        when: windowShown

        function init() {
            acceptedSpy.clear()
            canceledSpy.clear()
            dialog.acceptEnable = true
            dialog.cancelEnable = true
        }

        function cleanup() {
            dialog.visible = false
        }

        // Keys reach a box once its panel holds the focus, which follows the activation.
        function open(window) {
            window.visible = true
            tryVerify(function() { return window.activeFocusItem !== null })
        }

        function test_returnAcceptsAndEscapeCancelsEvenWithBothButtonsHidden() {
            dialog.acceptEnable = false
            dialog.cancelEnable = false
            open(dialog)
            windowKeys.click(dialog, Qt.Key_Return)
            compare(acceptedSpy.count, 1)
            compare(canceledSpy.count, 0)
            verify(!dialog.visible)

            open(dialog)
            windowKeys.click(dialog, Qt.Key_Escape)
            compare(canceledSpy.count, 1)
            compare(acceptedSpy.count, 1)
            verify(!dialog.visible)
        }

        // Without a compositor the see-through part would be painted black: the box is then
        // only its panel, and answers as before; with one it covers the main window.
        function test_withoutACompositorTheBoxIsJustItsPanel() {
            var composited = Desktop.composited
            Desktop.composited = true
            open(dialog)
            compare(dialog.width, root.width)
            compare(dialog.height, root.height)
            dialog.visible = false

            Desktop.composited = false
            open(dialog)
            compare(dialog.width, Defines.dialogWidth)
            compare(dialog.height, Defines.dialogHeight)
            windowKeys.click(dialog, Qt.Key_Return)
            compare(acceptedSpy.count, 1)
            Desktop.composited = composited
        }

        function test_keypadEnterIsNotAnAnswer() {
            open(dialog)
            windowKeys.click(dialog, Qt.Key_Enter, Qt.KeypadModifier)
            compare(acceptedSpy.count, 0)
            verify(dialog.visible)
        }

        function test_buttonsAnswerAndHide() {
            open(dialog)
            var ok = findChild(dialog.contentItem, "okButton")
            verify(ok)
            mouseClick(ok)
            compare(acceptedSpy.count, 1)
            verify(!dialog.visible)

            open(dialog)
            mouseClick(findChild(dialog.contentItem, "cancelButton"))
            compare(canceledSpy.count, 1)
            verify(!dialog.visible)
        }

        function test_inputDialogTakesADecimalCommaOrPointAsTyped() {
            var field = findChild(inputDialog.contentItem, "field")
            var typed = [[Qt.Key_4, Qt.Key_5, Qt.Key_Period, Qt.Key_5], "45.5",
                         [Qt.Key_4, Qt.Key_5, Qt.Key_Comma, Qt.Key_5], "45,5",
                         [Qt.Key_4, Qt.Key_A, Qt.Key_5], "45"]
            for (var i = 0; i < typed.length; i += 2) {
                inputDialog.text = ""
                open(inputDialog)
                field.forceActiveFocus()
                for (var k = 0; k < typed[i].length; ++k)
                    windowKeys.click(inputDialog, typed[i][k])
                compare(field.text, typed[i + 1])
                inputDialog.visible = false
            }
        }

        // Typing at once replaces the kept text: appended to it, "50,5" became another number.
        function test_inputDialogOpensOnItsFieldWithTheKeptTextSelected() {
            inputDialog.text = "41,5"
            open(inputDialog)
            var field = findChild(inputDialog.contentItem, "field")
            tryVerify(function() { return field.activeFocus })
            compare(field.selectedText, "41,5")
            var keys = [Qt.Key_5, Qt.Key_0, Qt.Key_Comma, Qt.Key_5, Qt.Key_Comma]
            for (var k = 0; k < keys.length; ++k)
                windowKeys.click(inputDialog, keys[k])
            compare(field.text, "50,5,", "a second separator is shown, to be refused, not dropped")
            windowKeys.click(inputDialog, Qt.Key_Backspace)
            windowKeys.click(inputDialog, Qt.Key_Return)
            verify(!inputDialog.visible)
            compare(inputDialog.text, "50,5")

            open(inputDialog)
            tryVerify(function() { return field.activeFocus })
            compare(field.selectedText, "50,5", "reopened, the kept text is selected again")
            windowKeys.click(inputDialog, Qt.Key_Escape)
            verify(!inputDialog.visible)
            compare(inputDialog.text, "50,5")
        }
    }

    TestCase {
        name: "RedComboBox"
        when: windowShown

        // The drop-down is the framework's menu; its content item is what the popup shows.
        function test_theDropDownIsExactlyAsWideAsItsBox() {
            combo.__popup.toggleShow()
            tryVerify(function() { return combo.__popup.__popupVisible })
            compare(combo.__popup.__contentItem.width, combo.width)
            combo.__popup.__dismissAndDestroy()
        }
    }

    Item {
        id: resizeHost
        width: 400
        height: 300

        ResizeArea {
            id: resizeArea
            target: QtObject {
                id: fakeWindow
                property real x: 100
                property real y: 50
                property real width: 800
                property real height: 530
                property real minimumWidth: 800
                property real minimumHeight: 530
            }
        }
    }

    TestCase {
        name: "ResizeArea"
        when: windowShown

        function init() {
            fakeWindow.x = 100
            fakeWindow.y = 50
            fakeWindow.width = 900
            fakeWindow.height = 600
        }

        function test_rightAndBottomEdgesFollowThePointerAboveTheMinimum() {
            resizeArea.dragRight(850)
            resizeArea.dragBottom(700)
            compare(fakeWindow.width, 850)
            compare(fakeWindow.height, 700)
            compare(fakeWindow.x, 100)
            compare(fakeWindow.y, 50)
        }

        function test_rightAndBottomEdgesStopAtTheMinimumAlsoExactlyOnIt() {
            resizeArea.dragRight(-40)
            resizeArea.dragBottom(10)
            compare(fakeWindow.width, 800)
            compare(fakeWindow.height, 530)
            resizeArea.dragRight(800)
            compare(fakeWindow.width, 800)
        }

        function test_topLeftDraggedOutwardsMovesTheCornerToThePointerAndGrows() {
            resizeArea.dragLeft(-30)
            resizeArea.dragTop(-20)
            compare(fakeWindow.x, 70)
            compare(fakeWindow.width, 930)
            compare(fakeWindow.y, 30)
            compare(fakeWindow.height, 620)
        }

        function test_leftAndTopEdgesSnapToTheMinimumWithoutMoving() {
            // 900 - 100 is exactly the minimum: strict comparison gives the minimum.
            resizeArea.dragLeft(100)
            compare(fakeWindow.width, 800)
            compare(fakeWindow.x, 100)
            resizeArea.dragTop(500)
            compare(fakeWindow.height, 530)
            compare(fakeWindow.y, 50)
        }

        function test_gripsMoveTheTwoEdgesOfTheirCorner() {
            mousePress(resizeHost, 2, 2)
            mouseMove(resizeHost, -10, -5)
            mouseRelease(resizeHost, -10, -5)
            compare(fakeWindow.x, 90)
            compare(fakeWindow.width, 910)
            compare(fakeWindow.y, 45)
            compare(fakeWindow.height, 605)

            mousePress(resizeHost, resizeHost.width - 2, resizeHost.height - 2)
            mouseMove(resizeHost, 300, 200)
            mouseRelease(resizeHost, 300, 200)
            compare(fakeWindow.width, 800, "left of the minimum width")
            compare(fakeWindow.height, 530)
            compare(fakeWindow.x, 90, "the right grip never moves the window")
        }
    }
}
