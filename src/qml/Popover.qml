import QtQuick
import Timeglas

// The popover's content: 420 × 600 on the popover background.
Rectangle {
    id: popover

    required property AppServices services

    width: 420
    height: 600
    color: popover.services.theme.background

    MenuBarContentView {
        anchors.fill: parent
        services: popover.services
    }
}
