import QtQuick 2.7
import QtQuick.Controls 2.2
import com.tivor.defines 1.0

// A button of the menu bar: gradients in calibration mode, flat colours otherwise; hovering
// flips the colour mode like RedButton does.
Rectangle {
    id: item

    property url image
    // Said on hover: what the button does, and its key if it has one.
    property string tip: ""
    property int colorMode: 0
    property bool gradEnable: false
    property color color1: Defines.baseColor
    property color color2: Defines.secondColor
    property Gradient grad1: Gradient {
        GradientStop { position: 0.0; color: item.color1 }
        GradientStop { position: 1.0; color: "#de0009" }
    }
    property Gradient grad2: Gradient {
        GradientStop { position: 0.0; color: "#4b4b4b" }
        GradientStop { position: 1.0; color: item.color2 }
    }

    signal clicked

    function flipColorMode() {
        colorMode = colorMode === 0 ? 1 : 0
    }

    // A colour mode set where the button is declared is its resting state, not a flip: the
    // button starts in color1 (the calibration button in "#de0009", not dark).
    property bool created: false

    color: color1
    gradient: grad1

    ToolTip.visible: tip !== "" && hover.containsMouse
    ToolTip.text: tip
    ToolTip.delay: 500

    Component.onCompleted: created = true

    onColorModeChanged: {
        if (!created)
            return
        if (gradEnable) {
            gradient = colorMode === 1 ? grad2 : grad1
        } else {
            gradient = undefined
            color = colorMode === 1 ? color2 : "#de0009"
        }
    }

    Image {
        anchors.fill: parent
        anchors.margins: item.width / 4
        fillMode: Image.PreserveAspectFit
        source: item.image
    }

    MouseArea {
        id: hover
        anchors.fill: parent
        cursorShape: Qt.PointingHandCursor
        hoverEnabled: true
        onContainsMouseChanged: item.flipColorMode()
        onClicked: item.clicked()
    }
}
