import QtQuick 2.7
import QtQuick.Controls 1.4
import QtQuick.Controls.Styles 1.4
import com.tivor.defines 1.0

// One search field of the history window; Return searches.
TextField {
    signal search

    width: 104
    height: Defines.scaleDelegateHeight
    font.pixelSize: Defines.baseFontSize
    onAccepted: search()

    style: TextFieldStyle {
        textColor: "black"
        placeholderTextColor: "#9A9A9A"
        background: Rectangle {
            color: "white"
            border.width: 1
            border.color: "#E5E5E5"
        }
    }
}
