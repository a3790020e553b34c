import QtQuick 2.7
import com.tivor.defines 1.0

// Modal message box with a warning icon, OK and cancel.
RedModalFrame {
    property alias text: message.text

    panelWidth: Defines.dialogWidth
    panelHeight: Defines.dialogHeight

    Image {
        x: 20
        y: 20
        width: Defines.menuHeight
        height: Defines.menuHeight
        source: "qrc:/images/warning.png"
    }

    Text {
        id: message
        x: 20
        width: parent.width - 40
        anchors.verticalCenter: parent.verticalCenter
        color: Defines.baseColor
        font.pixelSize: Defines.baseFontSize + 5
        lineHeight: 1.5
        // A wide system font must not push a line past the panel: shrink it a little instead.
        fontSizeMode: Text.HorizontalFit
        minimumPixelSize: Defines.baseFontSize
    }
}
