import QtQuick 2.7
import QtQuick.Controls 1.4
import QtQuick.Controls.Styles 1.4
import com.tivor.defines 1.0

// One limit of the statistics panel: a number with a comma or a point, or nothing.
TextField {
    width: font.pixelSize * 6
    height: Defines.scaleDelegateHeight
    font.pixelSize: Defines.baseFontSize + 1
    placeholderText: "—"
    validator: RegExpValidator { regExp: /^\s*\d{0,5}([.,]\d{0,3})?\s*$/ }

    style: TextFieldStyle {
        textColor: "black"
        background: Rectangle {
            color: "#F7F7F7"
            border.width: 1
            border.color: "#E5E5E5"
        }
    }
}
