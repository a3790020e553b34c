import QtQuick 2.7
import QtQuick.Controls 2.0

ScrollBar {
    id: scrollBar

    contentItem: Rectangle {
        implicitWidth: 6
        radius: width / 2
        color: scrollBar.pressed ? "#C41F26" : "#ed1c24"
    }
}
