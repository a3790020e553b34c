import QtQuick 2.7
import com.tivor.defines 1.0

// Flat button with two colour sets; hovering shows the other set.
Rectangle {
    id: button

    property int colorMode: 0
    property color borderColor0: Defines.baseColor
    property color borderColor1: "#4b4b4b"
    property color backColor0: "white"
    property color backColor1: "#4b4b4b"
    property color textColor0: Defines.baseColor
    property color textColor1: "white"
    property alias text: label.text
    property alias textFont: label.font

    signal clicked

    // Entering and leaving both flip, so the resting set comes back when the pointer leaves.
    function flipColorMode() {
        colorMode = colorMode === 0 ? 1 : 0
    }

    width: Defines.buttonWidth
    height: Defines.buttonHeight
    border.width: 2
    border.color: colorMode === 0 ? borderColor0 : borderColor1
    color: colorMode === 0 ? backColor0 : backColor1

    Text {
        id: label
        anchors.centerIn: parent
        color: button.colorMode === 0 ? button.textColor0 : button.textColor1
        font.pixelSize: Defines.baseFontSize
        // A label wider than the button (a wide font, a long translation) shrinks to stay
        // inside the border: 12 pixels leave the border and a little air.
        scale: Math.min(1, Math.max(0, button.width - 12) / Math.max(1, implicitWidth))
    }

    MouseArea {
        anchors.fill: parent
        cursorShape: Qt.PointingHandCursor
        hoverEnabled: true
        onContainsMouseChanged: button.flipColorMode()
        onClicked: button.clicked()
    }
}
