import QtQuick
import QtQuick.Layouts
import Timeglas

// The strip at the foot of a catalogue list in which a record is made or changed. It slides
// up from the bottom edge with a fade and leaves the same way.
Item {
    id: banner

    required property Theme theme
    property bool shown: false
    property real reveal: banner.shown ? 1 : 0
    default property alias content: body.data

    Layout.fillWidth: true
    implicitHeight: frame.implicitHeight * banner.reveal
    visible: banner.reveal > 0
    clip: true

    Behavior on reveal {
        NumberAnimation {
            duration: 150
            easing.type: Easing.InOutQuad
        }
    }

    Rectangle {
        id: frame

        anchors.left: parent.left
        anchors.right: parent.right
        anchors.top: parent.top
        implicitHeight: body.implicitHeight + 20
        opacity: banner.reveal
        color: banner.theme.faint

        Rectangle {
            anchors.left: parent.left
            anchors.right: parent.right
            anchors.top: parent.top
            height: 1
            color: banner.theme.hairline
        }

        ColumnLayout {
            id: body

            anchors.fill: parent
            anchors.leftMargin: 14
            anchors.rightMargin: 14
            anchors.topMargin: 10
            anchors.bottomMargin: 10
            spacing: 8
        }
    }
}
