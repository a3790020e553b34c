import QtQuick 2.7
import QtQuick.Controls 1.4
import QtQuick.Controls.Styles 1.4
import com.tivor.defines 1.0

// Asks for the reference block's hardness. The typed text survives closing, so the next
// test starts from the last value; it opens focused and selected, so typing replaces it.
RedModalFrame {
    id: dialog

    property alias text: field.text

    initialFocus: field
    onFocused: field.selectAll()

    panelWidth: Defines.inputDialogWidth
    // Tall enough that the field keeps 15 pixels above the rule, which sits 15 above the
    // buttons (the designed height falls short at high DPI).
    panelHeight: Math.max(Defines.inputDialogHeight,
                          field.y + field.height + 15 + 1 + 15 + Defines.buttonHeight + 20)

    Text {
        id: prompt
        x: 20
        y: 20
        text: qsTr("Введите твердость меры:")
        color: Defines.baseColor
        font.pixelSize: Defines.baseFontSize + 3
        lineHeight: 1.5
    }

    TextField {
        id: field
        objectName: "field"
        anchors.top: prompt.bottom
        anchors.topMargin: 10
        anchors.horizontalCenter: parent.horizontalCenter
        width: parent.width - 40
        height: Defines.scaleDelegateHeight
        font.pixelSize: Defines.baseFontSize + 3
        // Digits, separators and spaces only. A second separator is shown, not swallowed:
        // silently dropped, it turned "50,5" typed after a kept "41,5" into 41,5505.
        // Calibration decides whether the text is a number.
        validator: RegExpValidator { regExp: /[0-9.,\s]*/ }

        Keys.onReturnPressed: dialog.accept()
        Keys.onEscapePressed: dialog.cancel()

        style: TextFieldStyle {
            textColor: "black"
            background: Rectangle {
                color: "#F7F7F7"
                border.width: 1
                border.color: "#E5E5E5"
            }
        }
    }
}
