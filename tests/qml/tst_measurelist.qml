import QtQuick 2.7
import QtTest 1.2
import measures 1.0

// The measurement panel: the scale filter, the actions on ticked rows and the row clicks.
Item {
    id: root
    width: 400
    height: 500

    // Stands in for a MeasurementModel and writes down which of its methods were called.
    ListModel {
        id: fakeModel

        property var calls: []

        function note(call) {
            calls = calls.concat([call])
        }

        function resetScaleFilter() { note("resetScaleFilter") }
        function setScaleFilter(scale) { note("setScaleFilter " + scale) }
        function deleteChecked() { note("deleteChecked") }
        function deleteRow(index) { remove(index) }
        function clearSelected() { note("clearSelected") }
        function setFirstIndex(index) { note("setFirstIndex " + index) }
        function setSecondIndex(index) { note("setSecondIndex " + index) }

        function fill(rows) {
            clear()
            for (var i = 0; i < rows; ++i)
                addRow(i)
            calls = []
        }

        function addRow(i) {
            append({ "checkedValue": false, "dateTime": new Date(2024, 2, 5, 14, 7, i % 60),
                     "hardness": String(40 + i) })
        }
    }

    MeasureList {
        id: panel
        width: 160
        height: 500
        measModel: fakeModel
        comboModel: ["Все шкалы", "HRC", "HB"]
    }

    Component {
        id: emptyPanel
        MeasureList {
            width: 160
            height: 500
            measModel: ListModel {
                function resetScaleFilter() {}
            }
        }
    }

    SignalSpy { id: updateSpy; target: panel; signalName: "updateChart" }
    SignalSpy { id: scaleSpy; target: panel; signalName: "scalesItemChanged" }
    SignalSpy { id: memorySpy; target: panel; signalName: "clearMemory" }

    TestCase {
        name: "MeasureList"
        when: windowShown

        function child(name) {
            return findChild(panel, name)
        }

        function row(index) {
            var list = child("list")
            list.positionViewAtIndex(index, ListView.Contain)
            return list.itemAtIndex(index)
        }

        function init() {
            fakeModel.fill(3)
            child("filter").currentIndex = 0
            fakeModel.calls = []
            updateSpy.clear()
            scaleSpy.clear()
            memorySpy.clear()
        }

        function test_choosingAScaleFiltersAndMakesItTheTestersScale() {
            child("filter").currentIndex = 2
            compare(fakeModel.calls, ["resetScaleFilter", "setScaleFilter HB"])
            compare(scaleSpy.count, 1)
            compare(scaleSpy.signalArguments[0][0], "HB")
            compare(updateSpy.count, 1)
        }

        function test_choosingAllScalesOnlyRemovesTheFilter() {
            child("filter").currentIndex = 1
            fakeModel.calls = []
            scaleSpy.clear()
            child("filter").currentIndex = 0
            compare(fakeModel.calls, ["resetScaleFilter"])
            compare(scaleSpy.count, 0)
            compare(updateSpy.count, 2)
        }

        function test_aReplacedScaleListNeverFiltersOnAnEmptyName() {
            child("filter").currentIndex = -1
            compare(fakeModel.calls, ["resetScaleFilter"])
            compare(scaleSpy.count, 0)
        }

        function test_okRunsTheChosenAction_data() {
            return [
                { tag: "delete", index: 0, calls: ["deleteChecked"], memory: 0 },
                { tag: "untick", index: 1, calls: ["clearSelected"], memory: 0 },
                { tag: "clear memory only asks", index: 2, calls: [], memory: 1 }
            ]
        }

        function test_okRunsTheChosenAction(data) {
            child("actions").currentIndex = data.index
            mouseClick(child("okButton"))
            compare(fakeModel.calls, data.calls)
            compare(memorySpy.count, data.memory)
            compare(fakeModel.count, 3, "the rows stay until the model removes them")
        }

        function test_clickOnARowTicksItAndASecondClickUnticksIt() {
            mouseClick(row(1), 60, 10)
            compare(fakeModel.get(1).checkedValue, true)
            compare(fakeModel.calls, ["setFirstIndex 1"])
            mouseClick(row(1), 60, 10)
            compare(fakeModel.get(1).checkedValue, false)
            compare(fakeModel.calls, ["setFirstIndex 1", "setFirstIndex -1"])
        }

        function test_shiftClickTicksARange() {
            mouseClick(row(0), 60, 10)
            mouseClick(row(2), 60, 10, Qt.LeftButton, Qt.ShiftModifier)
            compare(fakeModel.calls, ["setFirstIndex 0", "setSecondIndex 2"])
        }

        function test_theCrossDeletesOnlyItsRowAndRefitsTheChart() {
            var item = row(1)
            mouseClick(item, item.width - 15 - 3, item.height / 2 - 2)
            compare(fakeModel.count, 2)
            compare(fakeModel.get(1).hardness, "42")
            compare(fakeModel.calls, [], "the cross does not tick")
            // The list counts its rows when it next lays out.
            tryVerify(function() { return updateSpy.count === 1 })
        }

        function test_newRowsComeIntoViewButDeletingLeavesThePosition() {
            var list = child("list")
            for (var i = 3; i < 40; ++i)
                fakeModel.addRow(i)
            tryCompare(child("scrollBar"), "opacity", 1)
            tryVerify(function() { return list.contentHeight > list.height && list.atYEnd })

            list.positionViewAtBeginning()
            var top = list.contentY
            fakeModel.remove(39)
            wait(50)
            compare(list.contentY, top)
        }

        function test_theScrollBarShowsOnlyForAListTallerThanThePanel() {
            wait(50)
            compare(child("scrollBar").opacity, 0)
        }

        function test_anEmptyListShowsNoScrollBar() {
            var fresh = createTemporaryObject(emptyPanel, root)
            wait(50)
            compare(findChild(fresh, "scrollBar").opacity, 0)
        }

        function test_newRowsMoveTheListOnlyWhenItWasAtTheEnd() {
            var list = child("list")
            for (var i = 3; i < 60; ++i)
                fakeModel.addRow(i)
            tryVerify(function() { return list.contentHeight > list.height && list.atYEnd })

            list.positionViewAtBeginning()
            fakeModel.addRow(60)
            wait(50)
            compare(list.contentY, 0, "a user reading the start stays there")

            list.positionViewAtEnd()
            fakeModel.addRow(61)
            tryVerify(function() { return list.atYEnd }, 1000, "a user at the end follows")
        }

        function test_resizingTheWindowLeavesThePosition() {
            var list = child("list")
            for (var i = 3; i < 60; ++i)
                fakeModel.addRow(i)
            tryVerify(function() { return list.contentHeight > list.height && list.atYEnd })
            list.positionViewAtBeginning()
            panel.height = 300
            wait(50)
            compare(list.contentY, 0)
            panel.height = 500
            wait(50)
            compare(list.contentY, 0)
        }

        function test_theScrollHandleKeepsAMinimumLength() {
            for (var i = 3; i < 3000; ++i)
                fakeModel.addRow(i)
            var handle = child("scrollBar").contentItem
            tryVerify(function() { return handle.height >= 20 }, 1000, "handle " + handle.height)
        }
    }
}
