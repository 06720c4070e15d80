import QtQuick
import Timeglas

// A strip over the bottom of the day screen that slides up with a fade while `shown`.
// Its children are laid out by the user inside the padded body.
Item {
    id: banner

    required property Theme theme
    property bool shown: false
    property int padding: 12
    default property alias body: body.data

    // A press on the strip's free space, which ends text editing as one on the screen's does.
    signal emptyPressed()

    height: panel.height
    visible: banner.shown || slide.running || fade.running
    Accessible.role: Accessible.Pane

    Rectangle {
        id: panel

        width: banner.width
        height: body.childrenRect.height + 2 * banner.padding
        y: banner.shown ? 0 : panel.height
        opacity: banner.shown ? 1 : 0
        color: banner.theme.isDark ? Qt.rgba(0.15, 0.16, 0.19, 1) : Qt.rgba(1, 1, 1, 1)

        Behavior on y { NumberAnimation { id: slide; duration: 150; easing.type: Easing.InOutQuad } }
        Behavior on opacity { NumberAnimation { id: fade; duration: 150; easing.type: Easing.InOutQuad } }

        // A soft edge above the strip, so it reads as lying over the screen.
        Rectangle {
            anchors.bottom: parent.top
            width: parent.width
            height: 8
            gradient: Gradient {
                GradientStop { position: 0; color: "transparent" }
                GradientStop { position: 1; color: Qt.rgba(0, 0, 0, banner.theme.isDark ? 0.25 : 0.06) }
            }
        }
        Rectangle {
            width: parent.width
            height: 1
            color: banner.theme.withOpacity(banner.theme.textBase, banner.theme.isDark ? 0.06 : 0.08)
        }
        // Clicks on the strip's free space must not reach the list under it.
        MouseArea {
            anchors.fill: parent
            acceptedButtons: Qt.AllButtons
            onPressed: banner.emptyPressed()
        }
        Item {
            id: body

            x: banner.padding
            y: banner.padding
            width: panel.width - 2 * banner.padding
            height: childrenRect.height
        }
    }
}
