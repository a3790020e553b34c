import QtQuick 2.7
import QtQuick.Controls 1.4
import QtQuick.Controls.Styles 1.4
import com.tivor.defines 1.0

// One field of the inspection context: it takes effect on Return or when it loses the focus,
// and then shows what was kept.
TextField {
    id: field

    property var context
    property string key

    height: Defines.scaleDelegateHeight
    font.pixelSize: Defines.baseFontSize
    text: context ? context[key] : ""
    onEditingFinished: {
        if (!context)
            return
        context[key] = text
        // The kept value, trimmed; the binding is back for changes made elsewhere.
        text = Qt.binding(function() { return field.context ? field.context[field.key] : "" })
    }

    style: TextFieldStyle {
        textColor: "black"
        placeholderTextColor: "#9A9A9A"
        background: Rectangle {
            color: "#F7F7F7"
            border.width: 1
            border.color: "#E5E5E5"
        }
    }
}
