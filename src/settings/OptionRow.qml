pragma ComponentBehavior: Bound
import QtQuick
import QtQuick.Controls.Basic
import Timeglas

// A row of equal-width choice buttons. `options` holds {value, label} pairs; the option
// whose value equals `chosenValue` is drawn as chosen, so a value outside the options
// leaves none chosen. A click only reports the value: the owner stores it.
Item {
    id: row

    required property Theme theme
    property var options: []
    property string chosenValue: ""
    property real spacing: 6

    signal chosen(string value)

    implicitWidth: 240
    implicitHeight: 28

    Row {
        anchors.fill: parent
        spacing: row.spacing

        Repeater {
            model: row.options

            delegate: AbstractButton {
                id: option

                required property var modelData
                readonly property bool isChosen: option.modelData.value === row.chosenValue

                width: (row.width - row.spacing * (row.options.length - 1)) / Math.max(1, row.options.length)
                height: row.height
                padding: 0
                topPadding: 6
                bottomPadding: 6
                hoverEnabled: true
                // The button's own state is what assistive technology reads; exclusive, so
                // a click on the chosen option leaves it chosen.
                checkable: true
                checked: option.isChosen
                autoExclusive: true
                Accessible.role: Accessible.Button
                Accessible.name: option.modelData.label
                Accessible.onPressAction: option.clicked()
                onClicked: row.chosen(option.modelData.value)

                background: Rectangle {
                    radius: 5
                    color: option.isChosen ? row.theme.accent : row.theme.faint
                }

                contentItem: Text {
                    text: option.modelData.label
                    textFormat: Text.PlainText
                    font.pixelSize: 12
                    font.weight: Font.Medium
                    color: option.isChosen ? "white" : row.theme.withOpacity(row.theme.textBase, 0.85)
                    horizontalAlignment: Text.AlignHCenter
                    verticalAlignment: Text.AlignVCenter
                    elide: Text.ElideRight
                }
            }
        }
    }
}
