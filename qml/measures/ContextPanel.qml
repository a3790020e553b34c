import QtQuick 2.7

// The inspection context in force: what every measurement received is archived with.
Row {
    id: panel

    property var context
    readonly property real fieldWidth: (width - spacing * 3) / 4

    spacing: 6

    ContextField {
        objectName: "context_part"
        width: panel.fieldWidth
        context: panel.context
        key: "part"
        placeholderText: qsTr("Деталь")
    }
    ContextField {
        objectName: "context_lot"
        width: panel.fieldWidth
        context: panel.context
        key: "lot"
        placeholderText: qsTr("Партия")
    }
    ContextField {
        objectName: "context_inspector"
        width: panel.fieldWidth
        context: panel.context
        key: "inspector"
        placeholderText: qsTr("Оператор")
    }
    ContextField {
        objectName: "context_note"
        width: panel.fieldWidth
        context: panel.context
        key: "note"
        placeholderText: qsTr("Примечание")
    }
}
