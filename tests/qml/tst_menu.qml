import QtQuick 2.7
import QtTest 1.2
import QtQuick.Window 2.2
import com.tivor.defines 1.0
import "../../qml/"
import menu 1.0

// The menu bar's colours in both modes, its buttons' hover flips, and the splash's one end.
Item {
    id: root
    width: 800
    height: 200

    Menu {
        id: menu
        width: parent.width
    }

    MenuItem {
        id: lone
        x: 300
        y: 100
        width: Defines.menuHeight
        height: Defines.menuHeight
    }

    SignalSpy { id: calibSpy; target: menu; signalName: "calibButtonClicked" }

    // A second bar that moves a stand-in window instead of the test's own.
    Menu {
        id: titleBar
        y: 120
        width: parent.width
        window: QtObject {
            id: fakeWindow
            property real x: 100
            property real y: 100
            property int visibility: Window.Windowed
            property int closed: 0
            function showMaximized() { visibility = Window.Maximized }
            function showNormal() { visibility = Window.Windowed }
            function close() { closed += 1 }
        }
    }

    TestCase {
        name: "MenuBar"
        when: windowShown

        function squareButtons() {
            var found = []
            var names = ["download", "disket", "folder", "gear", "close"]
            for (var i = 0; i < names.length; ++i)
                found.push(findButton(menu, "qrc:/images/" + names[i] + ".png"))
            return found
        }

        function findButton(item, image) {
            for (var i = 0; i < item.children.length; ++i) {
                var child = item.children[i]
                if (child.image !== undefined && String(child.image) === image)
                    return child
                var nested = findButton(child, image)
                if (nested)
                    return nested
            }
            return null
        }

        function calibButton() {
            // The one menu button without an icon of its own.
            return findButton(menu, "")
        }

        function init() {
            mouseMove(root, 400, 190)
            if (menu.mode !== 0)
                menu.modeSwitch()
        }

        function test_markupInTheTestersIdentityShowsAsText() {
            menu.devNumber = "<i>12</i>"
            var label = findChild(menu, "identity")
            verify(label.text.indexOf("&lt;i&gt;12&lt;/i&gt;") >= 0)
            menu.devNumber = "BRENMO #XXXXX"
        }

        function test_testerGoneReplacesTheIdentityWithANotice() {
            var label = findChild(menu, "identity")
            menu.devNumber = "12345"
            menu.connected = false
            verify(label.text.indexOf(qsTr("Прибор не подключен")) >= 0)
            verify(label.text.indexOf("12345") < 0)
            menu.connected = true
            verify(label.text.indexOf("12345") >= 0)
            verify(label.text.indexOf(qsTr("Прибор не подключен")) < 0)
        }

        function test_calibrationModeDarkensTheBarAndPutsTheSquareButtonsOnGradients() {
            var buttons = squareButtons()
            compare(buttons.length, 5)
            menu.modeSwitch()
            compare(menu.mode, 1)
            compare(menu.color, Defines.secondColor)
            compare(findChild(menu, "logo").color, Defines.baseColor)
            for (var i = 0; i < buttons.length; ++i) {
                verify(buttons[i].gradEnable)
                compare(buttons[i].colorMode, 1)
                verify(buttons[i].gradient === buttons[i].grad2)
            }
        }

        function test_enteringAndLeavingTwiceRestsEveryButtonFlatDarkRed() {
            var calib = calibButton()
            var startMode = calib.colorMode
            for (var n = 0; n < 4; ++n)
                menu.modeSwitch()
            compare(menu.mode, 0)
            compare(menu.color, Defines.baseColor)
            compare(findChild(menu, "logo").color, Defines.secondColor)
            var buttons = squareButtons()
            for (var i = 0; i < buttons.length; ++i) {
                compare(buttons[i].colorMode, 0)
                verify(!buttons[i].gradEnable)
                compare(buttons[i].color, "#de0009")
            }
            compare(calib.colorMode, startMode)
        }

        function test_calibrationButtonClickIsReported() {
            var calib = calibButton()
            mouseMove(calib, 5, 5)
            mouseClick(calib)
            compare(calibSpy.count, 1)
        }
    }

    TestCase {
        name: "TitleBar"
        when: windowShown

        function init() {
            fakeWindow.x = 100
            fakeWindow.y = 100
            fakeWindow.visibility = Window.Windowed
        }

        // An empty stretch of the bar, right of the identity label.
        function dragBy(dx, dy) {
            mousePress(titleBar, 560, 10)
            mouseMove(titleBar, 560 + dx, 10 + dy)
            mouseRelease(titleBar, 560 + dx, 10 + dy)
        }

        function test_draggingTheBarMovesTheWindow() {
            dragBy(30, 12)
            compare(fakeWindow.x, 130)
            compare(fakeWindow.y, 112)
        }

        function test_doubleClickMaximisesAndThenTheBarNoLongerDrags() {
            mouseDoubleClickSequence(titleBar, 560, 10)
            compare(fakeWindow.visibility, Window.Maximized)
            dragBy(30, 12)
            compare(fakeWindow.x, 100)
            compare(fakeWindow.y, 100)
            mouseDoubleClickSequence(titleBar, 560, 10)
            compare(fakeWindow.visibility, Window.Windowed)
        }

        function test_closeButtonClosesTheWindow() {
            mouseClick(titleBar, titleBar.width - 5, 5)
            compare(fakeWindow.closed, 1)
        }
    }

    TestCase {
        name: "MenuItem"
        when: windowShown

        function init() {
            mouseMove(root, 400, 190)
            lone.gradEnable = false
            lone.colorMode = 0
        }

        function test_hoverTurnsFlatDarkAndLeavingRestsFlatDarkRed() {
            mouseMove(lone, 10, 10)
            compare(lone.colorMode, 1)
            compare(lone.color, Defines.secondColor)
            mouseMove(root, 400, 190)
            compare(lone.colorMode, 0)
            compare(lone.color, "#de0009")
        }

        function test_inCalibrationModeHoverSwitchesBetweenTheGradients() {
            lone.gradEnable = true
            lone.colorMode = 1
            verify(lone.gradient === lone.grad2)
            mouseMove(lone, 10, 10)
            verify(lone.gradient === lone.grad1)
            mouseMove(root, 400, 190)
            verify(lone.gradient === lone.grad2)
        }
    }

    Component {
        id: splashComponent
        Splash {
            timeoutInterval: 200
        }
    }

    TestCase {
        name: "Splash"
        when: windowShown

        function test_clickEndsItAtOnceAndTheTimerNeverEndsItAgain() {
            var splash = createTemporaryObject(splashComponent, root)
            var spy = createTemporaryObject(spyComponent, root, { "target": splash })
            tryCompare(splash, "active", true)
            mouseClick(splash.contentItem, 10, 10)
            compare(spy.count, 1)
            verify(!splash.visible)
            wait(splash.timeoutInterval * 2)
            compare(spy.count, 1)
        }

        function test_timeoutEndsItOnce() {
            var splash = createTemporaryObject(splashComponent, root)
            var spy = createTemporaryObject(spyComponent, root, { "target": splash })
            spy.wait(2000)
            verify(!splash.visible)
            wait(splash.timeoutInterval * 2)
            compare(spy.count, 1)
        }
    }

    Component {
        id: spyComponent
        SignalSpy {
            signalName: "timeout"
        }
    }
}
