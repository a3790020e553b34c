import QtQuick 2.7
import com.tivor.defines 1.0

// Thin rule above a dialog's buttons; its user sets the vertical place.
Rectangle {
    width: parent ? parent.width - 20 : 0
    height: 1
    anchors.horizontalCenter: parent ? parent.horizontalCenter : undefined
    color: Defines.baseColor
}
