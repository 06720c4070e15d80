import QtQuick
import QtQuick.Controls.Basic
import Timeglas

// One icon tab of the settings header; its title is only a tooltip (and the accessible name).
AbstractButton {
    id: button

    required property Theme theme
    property string iconName: ""
    property string title: ""
    property bool isChosen: false

    implicitWidth: 36
    implicitHeight: 28
    padding: 0
    hoverEnabled: true
    // The button's own state is what assistive technology reads; the tabs of one header
    // exclude each other.
    checkable: true
    checked: button.isChosen
    autoExclusive: true
    Accessible.role: Accessible.Button
    Accessible.name: button.title
    Accessible.onPressAction: button.clicked()

    background: Rectangle {
        radius: 5
        color: button.isChosen ? button.theme.withOpacity(button.theme.accent, 0.12) : "transparent"
    }

    PlainToolTip {
        text: button.title
        visible: button.hovered
        delay: 500
    }

    contentItem: Icon {
        name: button.iconName
        size: 12
        color: button.isChosen ? button.theme.accent
                               : button.theme.withOpacity(button.theme.textBase, button.theme.isDark ? 0.5 : 0.45)
    }
}
