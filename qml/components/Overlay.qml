import QtQuick 2.7
import com.tivor.desktop 1.0

// Dims the main window behind a modal window's panel, where the desktop composites windows.
Rectangle {
    visible: Desktop.composited
    x: 0
    y: 0
    width: root.width
    height: root.height
    color: "black"
    opacity: 0.5
}
