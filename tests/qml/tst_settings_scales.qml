import QtQuick 2.7
import QtTest 1.1
import com.tivor.defines 1.0
import settings 1.0

// The scales tab: which rows each list shows, the row controls and the add row.
Item {
    id: root
    width: 800
    height: 530

    // The scale model as the tab sees it: its roles, and the two methods the tab calls.
    ListModel {
        id: scales

        property var hidden: []
        property var added: []
        property bool allRead: true

        function hideScale(index) {
            hidden.push(index)
            setProperty(index, "isVisible", false)
        }

        function unhideLowestScale(name, description) {
            added.push([name, description])
        }

        function lowestHiddenNumber() {
            for (var row = 3; row < count; ++row) {
                if (!get(row).isVisible)
                    return row
            }
            return -1
        }

        function reset(userRowsInUse) {
            clear()
            hidden = []
            added = []
            allRead = true
            var standard = ["HRC", "HB", "HV"]
            for (var row = 0; row < 13; ++row) {
                var user = row >= 3
                append({
                    "number": ("00" + (row + 1)).slice(-3),
                    "name": user ? "NON" : standard[row],
                    "description": "",
                    "enable": false,
                    "isVisible": !user || userRowsInUse.indexOf(row) >= 0,
                    "isReadOnly": true
                })
            }
        }
    }

    SettingsTabScales {
        id: tab
        width: 420
        height: 440
        scalesModel: scales
    }

    TestCase {
        name: "SettingsScales"
        when: windowShown

        property var standardList
        property var userList

        function initTestCase() {
            standardList = findChild(tab, "standardList")
            userList = findChild(tab, "userList")
            verify(standardList && userList)
        }

        function init() {
            scales.reset([3, 9, 12])
            findChild(tab, "newScaleName").text = ""
            findChild(tab, "newScaleDescription").text = ""
        }

        function shownRows(list) {
            list.forceLayout()
            var rows = []
            for (var i = 0; i < list.count; ++i) {
                var row = list.itemAtIndex(i)
                if (row && row.visible && row.height > 0)
                    rows.push(i)
            }
            return rows
        }

        function test_numbersAreReadAsDecimalNumbers_data() {
            return [
                { tag: "HV", number: "003", standard: true, user: false },
                { tag: "first user slot", number: "004", standard: false, user: true },
                { tag: "leading zero, not octal", number: "010", standard: false, user: true },
                { tag: "compared as numbers, not texts", number: "013", standard: false, user: true },
                { tag: "no number", number: "", standard: false, user: false }
            ]
        }

        function test_numbersAreReadAsDecimalNumbers(data) {
            compare(ScaleRows.belongsToStandardList(data.number), data.standard)
            compare(ScaleRows.belongsToUserList(data.number, true), data.user)
            verify(!ScaleRows.belongsToUserList(data.number, false), "a free slot is never listed")
        }

        function test_eachListShowsOnlyItsOwnRows() {
            compare(shownRows(standardList), [0, 1, 2])
            compare(shownRows(userList), [3, 9, 12])
            compare(standardList.contentHeight, standardList.height, "three rows fill a list")
        }

        function test_crossFreesTheSlotAndTheRowVanishesAtOnce() {
            shownRows(userList)
            mouseClick(findChild(userList.itemAtIndex(9), "hideCross"))

            compare(scales.hidden, [9])
            compare(shownRows(userList), [3, 12])
            compare(shownRows(standardList), [0, 1, 2])
        }

        function test_checkBoxWritesEnableIntoTheModel() {
            shownRows(standardList)
            var box = standardList.itemAtIndex(1).children[0]
            mouseClick(box)
            verify(scales.get(1).enable)
            verify(box.checked)
            mouseClick(box)
            verify(!scales.get(1).enable)
            verify(!box.checked, "the box still follows the model after a click")
        }

        function test_addNeedsBothNameAndDescription_data() {
            return [
                { tag: "empty name", name: "", description: "Сталь 45", calls: [] },
                { tag: "empty description", name: "HSD", description: "", calls: [] },
                { tag: "both empty", name: "", description: "", calls: [] },
                { tag: "both filled", name: "HSD", description: "Сталь 45",
                    calls: [["HSD", "Сталь 45"]] }
            ]
        }

        function test_addNeedsBothNameAndDescription(data) {
            var name = findChild(tab, "newScaleName")
            var description = findChild(tab, "newScaleDescription")
            name.text = data.name
            description.text = data.description
            mouseClick(findChild(tab, "addButton"))

            compare(scales.added, data.calls)
            var added = data.calls.length > 0
            compare(name.text, added ? "" : data.name, "an added scale empties the fields")
            compare(description.text, added ? "" : data.description)
        }

        // The fields say what they take; a name a scale in use has is refused and said.
        function test_addRowNamesItsFieldsAndRefusesANameInUse() {
            var name = findChild(tab, "newScaleName")
            var description = findChild(tab, "newScaleDescription")
            var note = findChild(tab, "takenNameNote")
            compare(name.placeholderText, "Имя")
            compare(description.placeholderText, "Описание")
            scales.setProperty(3, "name", "TB1")
            scales.setProperty(9, "name", "HSD")
            scales.setProperty(12, "name", "TB2")

            var names = ["hrc", "HSD", "NON"] // a standard scale, a user scale, a free slot
            for (var i = 0; i < names.length; ++i) {
                name.text = names[i]
                description.text = "Сталь 45"
                mouseClick(findChild(tab, "addButton"))
            }
            compare(scales.added, [["NON", "Сталь 45"]])
            verify(!note.visible, "the note goes once the name is typed again")

            name.text = "HB"
            description.text = "латунь"
            mouseClick(findChild(tab, "addButton"))
            compare(scales.added.length, 1)
            verify(note.visible)
            compare(note.text, "Шкала с именем \"HB\" уже есть.")
            compare(description.text, "латунь", "a refused scale keeps its fields")
        }

        function test_nameFieldTakesNoCharacterTheLineCannotCarry() {
            var name = findChild(tab, "newScaleName")
            var description = findChild(tab, "newScaleDescription")
            name.text = "AB"
            verify(name.acceptableInput)
            name.text = "A;B"
            verify(!name.acceptableInput, "the field's validator refuses ';'")
            verify(!tab.isLineName("A;B"))
            verify(!tab.isLineName("A\tB"))
            verify(tab.isLineName("Тв1"))
            // Set past the validator: still not added.
            description.text = "латунь"
            tab.addScale(name.text, description.text)
            compare(scales.added, [])
        }

        function test_unreadSlotsLockAddingAndFreeing() {
            scales.allRead = false
            var name = findChild(tab, "newScaleName")
            var description = findChild(tab, "newScaleDescription")
            name.text = "HSD"
            description.text = "Сталь 45"
            var add = findChild(tab, "addButton")
            verify(!add.enabled)
            tab.addScale(name.text, description.text)
            compare(scales.added, [])
            verify(findChild(tab, "unknownScalesNote").visible)
            mouseClick(findChild(userList.itemAtIndex(9), "hideCross"))
            compare(scales.hidden, [])

            scales.allRead = true
            verify(add.enabled)
            verify(!findChild(tab, "unknownScalesNote").visible)
        }
    }
}
