import QtQuick 2.7
import QtQuick.Controls 1.4
import QtQuick.Controls.Styles 1.4
import com.tivor.defines 1.0

// Text field of the scale rows and of the add row.
TextField {
    width: Defines.scaleDelegateWidth
    height: Defines.scaleDelegateHeight
    font.pixelSize: Defines.baseFontSize

    style: TextFieldStyle {
        textColor: "black"
        background: Rectangle {
            color: "#F7F7F7"
            border.width: 1
            border.color: "#E5E5E5"
        }
    }
}
