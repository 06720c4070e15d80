import QtQuick
import QtQuick.Controls.Basic
import Timeglas

// A text button of the day screens: plain ("Annuller") or filled ("Tilføj", "Slet").
// A click never takes the keyboard focus, so pressing it does not end the edit of an open
// field; Tab reaches it, and Space presses it.
Button {
    id: button

    required property Theme theme
    // Transparent for a plain button.
    property color fill: "transparent"
    property color textColor: button.theme.withOpacity(button.theme.textBase, 0.6)
    property string iconName: ""
    property int pixelSize: 12
    property int weight: Font.Medium

    focusPolicy: Qt.TabFocus
    hoverEnabled: true
    leftPadding: 10
    rightPadding: 10
    topPadding: 5
    bottomPadding: 5
    opacity: button.enabled ? 1 : 0.4
    Accessible.name: button.text
    Accessible.onPressAction: if (button.enabled) button.clicked()

    FocusRing {
        theme: button.theme
        shown: button.visualFocus
    }

    contentItem: Row {
        spacing: 4

        Icon {
            anchors.verticalCenter: parent.verticalCenter
            visible: button.iconName !== ""
            name: button.iconName
            size: button.pixelSize + 2
            color: button.textColor
        }
        Text {
            anchors.verticalCenter: parent.verticalCenter
            text: button.text
            textFormat: Text.PlainText
            color: button.textColor
            font.pixelSize: button.pixelSize
            font.weight: button.weight
        }
    }

    background: Rectangle {
        radius: 6
        color: {
            if (button.fill.a > 0)
                return button.down ? Qt.darker(button.fill, 1.15) : button.fill
            return button.hovered ? button.theme.withOpacity(button.theme.textBase, button.down ? 0.1 : 0.06) : "transparent"
        }
    }
}
