import QtQuick 2.7
import QtQuick.Window 2.2

// The start picture. It ends after timeoutInterval or at a click on it, whichever comes first,
// and announces the end exactly once.
Window {
    id: splash

    property int timeoutInterval: 2000
    property bool finished: false

    signal timeout

    function finish() {
        if (finished)
            return
        finished = true
        timer.stop()
        visible = false
        timeout()
    }

    flags: Qt.SplashScreen
    modality: Qt.ApplicationModal
    color: "transparent"
    width: picture.implicitWidth
    height: picture.implicitHeight
    x: (Screen.width - width) / 2
    y: (Screen.height - height) / 2
    visible: true

    Timer {
        id: timer
        interval: splash.timeoutInterval
        running: true
        onTriggered: splash.finish()
    }

    Image {
        id: picture
        source: "qrc:/images/splash.png"

        MouseArea {
            anchors.fill: parent
            onClicked: splash.finish()
        }
    }
}
