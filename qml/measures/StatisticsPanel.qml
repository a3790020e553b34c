import QtQuick 2.7
import QtQuick.Controls 1.4
import QtQuick.Controls.Styles 1.4
import com.tivor.defines 1.0
import components 1.0

// The figures of the shown (or ticked) rows and the tolerance limits of one scale, opened from
// the chart's average box. Limits are applied with their own button; OK only closes.
RedModalFrame {
    id: panel

    property var statistics
    property var limits
    // The scales the limits can be set for: the list's scale names without "all scales".
    property var scaleNames: []
    readonly property string limitScale: scaleCombo.currentText

    // The scale to edit first: the one the figures belong to, else the first with limits,
    // else the first one known.
    function chooseScale() {
        var index = statistics && statistics.scale !== "" ? scaleNames.indexOf(statistics.scale) : -1
        for (var i = 0; index < 0 && limits && i < scaleNames.length; ++i) {
            if (limits.hasLimits(scaleNames[i]))
                index = i
        }
        scaleCombo.currentIndex = index >= 0 ? index : 0
        loadLimits()
    }

    function loadLimits() {
        limitsMessage.text = ""
        lowerField.text = limits && limitScale !== "" ? limits.lowerText(limitScale) : ""
        upperField.text = limits && limitScale !== "" ? limits.upperText(limitScale) : ""
    }

    function applyLimits() {
        if (!limits || limitScale === "")
            return false
        var applied = limits.setLimits(limitScale, lowerField.text, upperField.text)
        limitsMessage.text = applied ? qsTr("Допуск сохранён.")
                                     : qsTr("Введите числа; нижняя граница не выше верхней.")
        limitsMessage.color = applied ? "#4b4b4b" : Defines.baseColor
        return applied
    }

    function coveredText() {
        if (!statistics)
            return ""
        var rows = statistics.selectionOnly ? qsTr("выделенные строки") : qsTr("все строки списка")
        var scales = statistics.blocks.map(function(block) { return block.scale })
        return rows + ", " + (scales.length > 0 ? scales.join(", ") : "—")
    }

    panelWidth: Math.max(Defines.dialogWidth, figures.width + 40, limitFields.width + 40,
                         invalidNote.implicitWidth + 40)
    // The figures, the limits and room for the buttons below the rule.
    panelHeight: limitsMessage.y + Math.max(limitsMessage.height, Defines.baseFontSize * 2) + 90
    cancelEnable: false
    onVisibleChanged: if (visible) chooseScale()

    Text {
        id: title
        x: 20
        y: 15
        text: qsTr("СТАТИСТИКА")
        color: Defines.baseColor
        font.pixelSize: Defines.baseFontSize + 5
        font.bold: true
    }

    Text {
        id: covered
        objectName: "covered"
        anchors.left: title.left
        anchors.top: title.bottom
        anchors.topMargin: 4
        width: parent.width - 40
        text: panel.coveredText()
        color: "#4b4b4b"
        font.pixelSize: Defines.baseFontSize
        wrapMode: Text.WordWrap
    }

    // The average box above the chart counts them as 0; the figures here leave them out.
    Text {
        id: invalidNote
        objectName: "invalidNote"
        anchors.left: title.left
        anchors.top: covered.bottom
        anchors.topMargin: 2
        text: qsTr("Замеры без результата (ERR) в расчёт не входят")
        color: "#4b4b4b"
        font.pixelSize: Defines.baseFontSize
    }

    // One block a scale: hardness of different scales is never averaged together.
    Grid {
        id: figures
        objectName: "figures"
        anchors.left: title.left
        anchors.top: invalidNote.bottom
        anchors.topMargin: 12
        // Up to three blocks side by side, as many as the window is wide enough for.
        columns: Math.max(1, Math.min(blockRepeater.count, 3,
                                      Math.floor((panel.width - 80) / (Defines.baseFontSize * 19))))
        columnSpacing: Defines.baseFontSize * 2
        rowSpacing: 12

        Repeater {
            id: blockRepeater
            model: statistics ? statistics.blocks : []

            Column {
                id: block
                objectName: "scaleBlock"
                readonly property var figuresOfScale: modelData
                readonly property var rows: [
                    [qsTr("С результатом"), modelData.count],
                    [qsTr("Без результата (ERR)"), modelData.invalidCount],
                    [qsTr("Среднее"), modelData.meanText],
                    [qsTr("Ст. отклонение"), modelData.deviationText],
                    [qsTr("Размах"), modelData.rangeText],
                    [qsTr("Минимум"), modelData.minimumText],
                    [qsTr("Максимум"), modelData.maximumText],
                    [qsTr("Вне допуска"), modelData.outsideCount]
                ]
                spacing: 4

                Text {
                    text: block.figuresOfScale.scale
                    color: Defines.baseColor
                    font.pixelSize: Defines.baseFontSize + 2
                    font.bold: true
                }

                Grid {
                    columns: 2
                    columnSpacing: 14
                    rowSpacing: 6

                    Repeater {
                        model: block.rows.length * 2
                        Text {
                            readonly property var cell: block.rows[Math.floor(index / 2)]
                            readonly property bool isValue: index % 2 === 1
                            text: isValue ? String(cell[1]) : cell[0] + ":"
                            // Labels and figures take the room their font needs (wider at high DPI).
                            width: Math.max(implicitWidth, font.pixelSize * (isValue ? 4 : 8))
                            color: isValue && index === block.rows.length * 2 - 1 && Number(cell[1]) > 0
                                   ? Defines.baseColor : "black"
                            font.pixelSize: Defines.baseFontSize + 1
                            font.bold: isValue
                        }
                    }
                }
            }
        }
    }

    RedLine {
        id: rule
        anchors.top: figures.bottom
        anchors.topMargin: 14
    }

    Text {
        id: limitsTitle
        anchors.left: title.left
        anchors.verticalCenter: scaleCombo.verticalCenter
        text: qsTr("ДОПУСК ШКАЛЫ")
        color: Defines.baseColor
        font.pixelSize: Defines.baseFontSize + 1
        font.bold: true
    }

    RedComboBox {
        id: scaleCombo
        objectName: "scaleCombo"
        anchors.left: limitsTitle.right
        anchors.leftMargin: 12
        anchors.top: rule.bottom
        anchors.topMargin: 12
        width: Defines.baseFontSize * 11
        model: panel.scaleNames
        onActivated: panel.loadLimits()
    }

    Row {
        id: limitFields
        anchors.left: title.left
        anchors.top: scaleCombo.bottom
        anchors.topMargin: 12
        spacing: 8

        Text {
            anchors.verticalCenter: parent.verticalCenter
            text: qsTr("от")
            font.pixelSize: Defines.baseFontSize + 1
        }
        LimitField {
            id: lowerField
            objectName: "lowerField"
        }
        Text {
            anchors.verticalCenter: parent.verticalCenter
            text: qsTr("до")
            font.pixelSize: Defines.baseFontSize + 1
        }
        LimitField {
            id: upperField
            objectName: "upperField"
        }
        RedButton {
            objectName: "applyLimits"
            anchors.verticalCenter: parent.verticalCenter
            text: qsTr("ПРИМЕНИТЬ")
            enabled: panel.limitScale !== ""
            onClicked: panel.applyLimits()
        }
    }

    Text {
        id: limitsMessage
        objectName: "limitsMessage"
        anchors.left: title.left
        anchors.top: limitFields.bottom
        anchors.topMargin: 6
        width: parent.width - 40
        font.pixelSize: Defines.baseFontSize
        wrapMode: Text.WordWrap
    }
}
