import QtQuick
import QtQuick.Controls.Basic
import Timeglas

// A small icon button at the end of a catalogue row. While `revealed` is false only its icon
// turns transparent: the button itself stays visible to keyboard focus and to screen
// readers, whose users cannot hover.
AbstractButton {
    id: button

    property string iconName: ""
    property real iconSize: 10
    property color iconColor: "black"
    property bool revealed: false
    property string accessibleName: ""

    implicitWidth: 20
    implicitHeight: 20
    padding: 0
    Accessible.role: Accessible.Button
    Accessible.name: button.accessibleName
    Accessible.onPressAction: button.clicked()

    contentItem: Icon {
        name: button.iconName
        size: button.iconSize
        color: button.iconColor
        opacity: button.revealed || button.activeFocus ? 1 : 0
    }
}
