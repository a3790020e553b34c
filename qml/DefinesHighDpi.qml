pragma Singleton
import QtQuick 2.7

// The same look for dense screens: the framework's own high-DPI scaling stays off, so the
// sizes are scaled here. Lists and dialogs take a larger factor so their texts still fit.
QtObject {
    readonly property int windowWidth: 800 * 1.7
    readonly property int windowHeight: 530 * 1.7
    readonly property int rightPanelWidth: 160 * 1.9
    readonly property int dialogWidth: 450 * 1.7
    readonly property int dialogHeight: 170 * 1.9
    readonly property color windowBackground: "#ececec"
    readonly property color baseColor: "#ed1c24"
    readonly property color secondColor: "#1d1d1d"
    readonly property int baseFontSize: 22
    readonly property int menuHeight: 45 * 1.7
    readonly property int logoWidth: 75 * 1.7
    readonly property int calibButtonWidth: 115 * 1.7
    readonly property int calibButtonHeight: 25 * 1.7
    readonly property int inputDialogWidth: 250 * 1.7
    readonly property int inputDialogHeight: 130 * 1.7
    readonly property int warningAreaHeight: 40 * 1.7
    readonly property int bigButtonWidth: 175 * 1.7
    readonly property int buttonWidth: 95 * 1.7
    readonly property int buttonHeight: 30 * 1.7
    readonly property int smallButtonWidth: 35 * 1.7
    readonly property int closeCrossSize: 10 * 1.7
    readonly property int settingsWidth: 460 * 1.7
    readonly property int settingsHeight: 400 * 1.7
    readonly property int settingsHeight2: 460 * 1.7
    readonly property int settingsTabWidth: 125 * 1.7
    readonly property int settingsTabHeight: 40 * 1.7
    readonly property int calendarWidth: 250 * 1.7
    readonly property int calendarHeight: 250 * 1.7
    readonly property int clockWidth: 125 * 1.7
    readonly property int clockHeight: 125 * 1.7
    readonly property int clockInputWidth: 70 * 1.7
    readonly property int clockInputHeight: 25 * 1.7
    readonly property int scaleDelegateWidth: 38 * 1.9
    readonly property int scaleDelegateHeight: 28 * 1.9
    readonly property int resizeAreaSize: 5 * 1.7
    readonly property int measurementHeight: 25 * 1.7
    readonly property int measurementMargin: 15
}
