pragma Singleton
import QtQuick 2.7

// Sizes and theme colours for screens of 96 dpi or less.
QtObject {
    readonly property int windowWidth: 800
    readonly property int windowHeight: 530
    readonly property int rightPanelWidth: 160
    readonly property int dialogWidth: 450
    readonly property int dialogHeight: 200
    readonly property color windowBackground: "#ececec"
    readonly property color baseColor: "#ed1c24"
    readonly property color secondColor: "#1d1d1d"
    readonly property int baseFontSize: 11
    readonly property int menuHeight: 45
    readonly property int logoWidth: 75
    readonly property int calibButtonWidth: 115
    readonly property int calibButtonHeight: 25
    readonly property int inputDialogWidth: 250
    readonly property int inputDialogHeight: 160
    readonly property int warningAreaHeight: 40
    readonly property int bigButtonWidth: 175
    readonly property int buttonWidth: 95
    readonly property int buttonHeight: 30
    readonly property int smallButtonWidth: 35
    readonly property int closeCrossSize: 10
    readonly property int settingsWidth: 460
    readonly property int settingsHeight: 400
    readonly property int settingsHeight2: 480
    readonly property int settingsTabWidth: 125
    readonly property int settingsTabHeight: 40
    readonly property int calendarWidth: 250
    readonly property int calendarHeight: 250
    readonly property int clockWidth: 125
    readonly property int clockHeight: 125
    readonly property int clockInputWidth: 70
    readonly property int clockInputHeight: 25
    readonly property int scaleDelegateWidth: 38
    readonly property int scaleDelegateHeight: 28
    readonly property int resizeAreaSize: 5
    readonly property int measurementHeight: 25
    readonly property int measurementMargin: 5
}
