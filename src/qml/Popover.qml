import QtQuick
import Timeglas

// The popover's content: 420 × 600 on the popover background.
Rectangle {
    id: popover

    required property AppServices services

    width: 420
    height: 600
    color: popover.services.theme.background

    Text {
        anchors.centerIn: parent
        text: "Timeglas"
        color: popover.services.theme.text(0.85)
    }
}
