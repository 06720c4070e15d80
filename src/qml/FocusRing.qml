import QtQuick
import Timeglas

// The outline of the control that Tab has brought the keyboard focus to, for whoever steers
// without a pointer. Clicks and the focus the popover starts with draw none, so the screens
// look as they always do.
Rectangle {
    id: ring

    required property Theme theme
    property bool shown: false

    anchors.fill: parent
    anchors.margins: -2
    radius: 6
    color: "transparent"
    border.width: 2
    border.color: ring.theme.withOpacity(ring.theme.accent, 0.8)
    visible: ring.shown
}
