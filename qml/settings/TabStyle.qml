import QtQuick 2.7
import QtQuick.Controls.Styles 1.4
import com.tivor.defines 1.0

// Look of the settings tabs: white for the chosen tab, dark grey for the other.
TabViewStyle {
    frameOverlap: 0

    frame: Rectangle {
        color: "white"
    }

    tab: Rectangle {
        implicitWidth: Defines.settingsTabWidth
        implicitHeight: Defines.settingsTabHeight
        color: styleData.selected ? "white" : "#4b4b4b"

        Text {
            anchors.centerIn: parent
            text: styleData.title
            color: styleData.selected ? "#ed1c24" : "white"
            font.pixelSize: Defines.baseFontSize + 5
        }
    }
}
