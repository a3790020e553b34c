import QtQuick 2.7
import QtQuick.Window 2.2
import com.tivor.defines 1.0

// Corner grips that resize the frameless main window. Each grip moves the two edges that
// meet in its corner; an edge never goes inside the window's minimum size.
Item {
    id: area

    // The window being resized; anything with x, y, width, height and minimum sizes will do.
    property var target: Window.window

    // Left or top edge dragged to `pointer` (in window coordinates): returns the new start and
    // length. Strictly above the minimum only; otherwise the length snaps to the minimum and
    // the start stays.
    function startEdge(start, length, minimum, pointer) {
        if (length - pointer > minimum)
            return { "start": start + pointer, "length": length - pointer }
        return { "start": start, "length": minimum }
    }

    // Right or bottom edge dragged to `pointer`: the new length.
    function endEdge(minimum, pointer) {
        return pointer > minimum ? pointer : minimum
    }

    function dragLeft(x) {
        var edge = startEdge(target.x, target.width, target.minimumWidth, x)
        target.x = edge.start
        target.width = edge.length
    }

    function dragTop(y) {
        var edge = startEdge(target.y, target.height, target.minimumHeight, y)
        target.y = edge.start
        target.height = edge.length
    }

    function dragRight(x) {
        target.width = endEdge(target.minimumWidth, x)
    }

    function dragBottom(y) {
        target.height = endEdge(target.minimumHeight, y)
    }

    anchors.fill: parent

    Repeater {
        model: [{ "left": true, "top": true }, { "left": false, "top": true },
            { "left": false, "top": false }, { "left": true, "top": false }]

        MouseArea {
            x: modelData.left ? 0 : area.width - width
            y: modelData.top ? 0 : area.height - height
            width: Defines.resizeAreaSize
            height: Defines.resizeAreaSize
            preventStealing: true
            cursorShape: modelData.left === modelData.top ? Qt.SizeFDiagCursor : Qt.SizeBDiagCursor

            onPositionChanged: {
                var p = mapToItem(null, mouse.x, mouse.y)
                if (modelData.left)
                    area.dragLeft(p.x)
                else
                    area.dragRight(p.x)
                if (modelData.top)
                    area.dragTop(p.y)
                else
                    area.dragBottom(p.y)
            }
        }
    }
}
