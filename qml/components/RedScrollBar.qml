import QtQuick 2.7
import QtQuick.Controls 2.4
import com.tivor.defines 1.0

// Shown only while the list is longer than its view (an empty list has no bar), with a handle
// never shorter than a row, so it can still be grabbed in a list of 100,000.
ScrollBar {
    id: scrollBar

    opacity: size < 1 ? 1 : 0
    minimumSize: height > 0 ? Math.min(1, Defines.measurementHeight / height) : 0

    contentItem: Rectangle {
        implicitWidth: 6
        radius: width / 2
        color: scrollBar.pressed ? "#C41F26" : "#ed1c24"
    }
}
