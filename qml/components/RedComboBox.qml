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
        // The label stops short of the arrow (10 pixels wide, 7 from the edge).
        padding.right: 21

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

        // A long entry shrinks a little, then is cut, rather than run under the arrow.
        label: Text {
            text: control.currentText
            horizontalAlignment: Text.AlignLeft
            verticalAlignment: Text.AlignVCenter
            color: "black"
            font.pixelSize: Defines.baseFontSize
            fontSizeMode: Text.HorizontalFit
            minimumPixelSize: Defines.baseFontSize - 3
            elide: Text.ElideRight
        }

        __dropDownStyle: MenuStyle {
            __menuItemType: "comboboxitem"
            __maxPopupHeight: 600
            __scrollerStyle: ScrollViewStyle {}
            // No side padding: the drop-down is exactly as wide as the box, and its items draw
            // the side borders themselves.
            padding.left: 0
            padding.right: 0

            frame: Rectangle {
                color: "white"
                border.width: 1
                border.color: "#BFBFBF"
            }

            itemDelegate.background: Rectangle {
                implicitWidth: combo.width
                implicitHeight: Defines.scaleDelegateHeight
                color: styleData.selected ? "#ed1c24" : "white"

                Rectangle {
                    width: 1
                    height: parent.height
                    color: "#BFBFBF"
                }

                Rectangle {
                    anchors.right: parent.right
                    width: 1
                    height: parent.height
                    color: "#BFBFBF"
                }
            }

            // The menu adds 30 pixels of margins to the label's width and 4 to its height;
            // a label kept within them never widens the drop-down past the box.
            itemDelegate.label: Text {
                width: Math.min(implicitWidth, combo.width - 32)
                height: Defines.scaleDelegateHeight - 4
                elide: Text.ElideRight
                text: styleData.text
                horizontalAlignment: Text.AlignLeft
                verticalAlignment: Text.AlignVCenter
                color: styleData.selected ? "white" : "black"
                font.pixelSize: Defines.baseFontSize
            }
        }
    }
}
