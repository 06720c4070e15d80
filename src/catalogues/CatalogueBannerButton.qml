import QtQuick
import QtQuick.Controls.Basic
import Timeglas

// "Annuller" and the save button of the catalogue banners: a quiet pill, or a filled one.
AbstractButton {
    id: button

    required property Theme theme
    // Filled buttons draw white bold text on `fill`.
    property bool filled: false
    property color fill: button.theme.accent

    leftPadding: 10
    rightPadding: 10
    topPadding: 6
    bottomPadding: 6
    hoverEnabled: true
    Accessible.role: Accessible.Button
    Accessible.name: button.text
    Accessible.onPressAction: button.clicked()

    background: Rectangle {
        radius: 6
        color: button.filled ? button.fill
                             : button.theme.withOpacity(button.theme.textBase, button.theme.isDark ? 0.1 : 0.08)
        opacity: button.down ? 0.8 : 1
    }

    contentItem: Text {
        text: button.text
        textFormat: Text.PlainText
        font.pixelSize: 12
        font.weight: button.filled ? Font.Bold : Font.Medium
        color: button.filled ? "white" : button.theme.withOpacity(button.theme.textBase, button.theme.isDark ? 0.7 : 0.6)
        horizontalAlignment: Text.AlignHCenter
        verticalAlignment: Text.AlignVCenter
    }
}
