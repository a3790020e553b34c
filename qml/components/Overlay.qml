import QtQuick 2.7

// Dims the main window behind a modal window's panel.
Rectangle {
    x: 0
    y: 0
    width: root.width
    height: root.height
    color: "black"
    opacity: 0.5
}
