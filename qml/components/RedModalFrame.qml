import QtQuick 2.7
import QtQuick.Window 2.2
import com.tivor.defines 1.0
import com.tivor.desktop 1.0

// What RedDialog and RedInputDialog share: a frameless modal window covering the main window,
// dimmed, with a white panel whose OK and cancel buttons, Return and Escape close it.
// Children declared by a user go onto the panel. A desktop that composites nothing would
// paint the see-through part black, so there the window is just the panel, with a border.
Window {
    id: frame

    property alias panelWidth: panel.width
    property alias panelHeight: panel.height
    property alias acceptEnable: okButton.visible
    property alias cancelEnable: cancelButton.visible
    default property alias content: panel.data
    // Keys go to the panel on every opening, also when a field inside had the focus last
    // time; the focus can only be given once the window is active.
    property bool focusPanelOnActivation: false
    // What takes the keys on opening instead of the panel, such as the one input field.
    property Item initialFocus: null

    signal focused

    signal accepted
    signal canceled

    function accept() {
        accepted()
        visible = false
    }

    function cancel() {
        canceled()
        visible = false
    }

    function focusPanelOnceActive() {
        if (active && focusPanelOnActivation) {
            focusPanelOnActivation = false
            if (initialFocus)
                initialFocus.forceActiveFocus()
            else
                panel.forceActiveFocus()
            focused()
        }
    }

    modality: Qt.ApplicationModal
    flags: Qt.SplashScreen
    color: "transparent"
    width: Desktop.composited ? root.width : panel.width
    height: Desktop.composited ? root.height : panel.height

    onVisibleChanged: {
        if (!visible)
            return
        focusPanelOnActivation = true
        requestActivate()
        focusPanelOnceActive()
    }
    onActiveChanged: focusPanelOnceActive()

    Overlay {}

    Rectangle {
        id: panel

        anchors.centerIn: parent
        color: "white"
        border.width: Desktop.composited ? 0 : 1
        border.color: "#9a9a9a"
        focus: true

        // The keypad's Enter is left alone; nothing travels past the panel. This also works
        // with both buttons hidden, which is how the waiting box can still be dismissed.
        Keys.onPressed: {
            if (event.key === Qt.Key_Return)
                frame.accept()
            else if (event.key === Qt.Key_Escape)
                frame.cancel()
            event.accepted = true
        }

        RedLine {
            anchors.bottom: okButton.top
            anchors.bottomMargin: 15
        }

        RedButton {
            id: okButton
            objectName: "okButton"
            anchors.right: parent.right
            anchors.bottom: parent.bottom
            anchors.margins: 20
            colorMode: 1
            text: "OK"
            onClicked: frame.accept()
        }

        RedButton {
            id: cancelButton
            objectName: "cancelButton"
            anchors.right: okButton.left
            anchors.rightMargin: 15
            anchors.bottom: okButton.bottom
            colorMode: 0
            text: qsTr("ОТМЕНА")
            onClicked: frame.cancel()
        }
    }
}
