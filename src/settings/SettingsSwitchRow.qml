import QtQuick
import QtQuick.Controls.Basic
import QtQuick.Layouts
import Timeglas

// A settings row: a text on the left, a switch on the right. The switch only reports a
// flip through `toggled`: the owner stores it, and `checked` follows what was stored.
RowLayout {
    id: row

    required property Theme theme
    property string text: ""
    property bool checked: false

    signal toggled(bool checked)

    spacing: 8

    Text {
        id: label

        Layout.fillWidth: true
        text: row.text
        textFormat: Text.PlainText
        font.pixelSize: 13
        color: row.theme.withOpacity(row.theme.textBase, 0.85)
        wrapMode: Text.WordWrap
    }

    Switch {
        id: control

        padding: 0
        checked: row.checked
        Accessible.name: label.text
        // toggle() would not emit toggled(), so assistive technology reports the flip itself.
        Accessible.onPressAction: row.toggled(!row.checked)
        Accessible.onToggleAction: row.toggled(!row.checked)
        onToggled: row.toggled(control.checked)

        indicator: Rectangle {
            implicitWidth: 32
            implicitHeight: 18
            radius: 9
            color: control.checked ? row.theme.accent : row.theme.withOpacity(row.theme.textBase, 0.15)

            Rectangle {
                x: control.checked ? parent.width - width - 2 : 2
                anchors.verticalCenter: parent.verticalCenter
                width: 14
                height: 14
                radius: 7
                color: "white"

                Behavior on x {
                    NumberAnimation {
                        duration: 150
                        easing.type: Easing.InOutQuad
                    }
                }
            }
        }
    }
}
