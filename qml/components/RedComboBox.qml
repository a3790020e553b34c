import QtQuick 2.7
import QtQuick.Controls 1.4
import QtQuick.Controls.Styles 1.4
import QtQuick.Controls.Private 1.0
import com.tivor.defines 1.0

// Flat combo box; the drop-down is cut at 600 pixels and scrolls beyond that.
ComboBox {
    id: combo

    height: Defines.scaleDelegateHeight

    style: ComboBoxStyle {
        background: Rectangle {
            color: "white"
            border.width: 1
            border.color: "#BFBFBF"

            Image {
                anchors.right: parent.right
                anchors.rightMargin: 7
                anchors.verticalCenter: parent.verticalCenter
                source: "qrc:/images/arrow.png"
            }
        }

        label: Text {
            text: control.currentText
            horizontalAlignment: Text.AlignLeft
            verticalAlignment: Text.AlignVCenter
            color: "black"
            font.pixelSize: Defines.baseFontSize
        }

        __dropDownStyle: MenuStyle {
            __menuItemType: "comboboxitem"
            __maxPopupHeight: 600
            __scrollerStyle: ScrollViewStyle {}

            frame: Rectangle {
                color: "white"
                border.width: 1
                border.color: "#BFBFBF"
            }

            itemDelegate.background: Rectangle {
                implicitWidth: combo.width
                implicitHeight: Defines.scaleDelegateHeight
                color: styleData.selected ? "#ed1c24" : "white"
            }

            itemDelegate.label: Text {
                // The menu adds 4 pixels around the label's height.
                height: Defines.scaleDelegateHeight - 4
                text: styleData.text
                horizontalAlignment: Text.AlignLeft
                verticalAlignment: Text.AlignVCenter
                color: styleData.selected ? "white" : "black"
                font.pixelSize: Defines.baseFontSize
            }
        }
    }
}
