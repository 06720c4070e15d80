import QtQuick
import Timeglas

// What an empty day shows in place of the list: a clock, a line of help and "Ny opgave".
Item {
    id: empty

    required property MenuBarContentViewModel viewModel
    required property Theme theme
    signal addRequested()
    property bool shown: true

    opacity: empty.shown ? 1 : 0
    visible: empty.opacity > 0

    Behavior on opacity { NumberAnimation { duration: 200; easing.type: Easing.InOutQuad } }

    Column {
        anchors.centerIn: parent
        spacing: 10

        Rectangle {
            anchors.horizontalCenter: parent.horizontalCenter
            width: 64
            height: 64
            radius: 32
            color: empty.theme.withOpacity(empty.theme.textBase, empty.theme.isDark ? 0.06 : 0.05)

            Icon {
                anchors.centerIn: parent
                name: "clock"
                size: DayStyle.iconSize(26)
                color: empty.theme.withOpacity(empty.theme.textBase, 0.3)
            }
        }
        Text {
            anchors.horizontalCenter: parent.horizontalCenter
            text: qsTr("Ingen opgaver")
            textFormat: Text.PlainText
            font.pixelSize: 16
            font.weight: Font.DemiBold
            color: empty.theme.withOpacity(empty.theme.textBase, 0.85)
            Accessible.role: Accessible.StaticText
            Accessible.name: qsTr("Ingen opgaver")
        }
        Text {
            anchors.horizontalCenter: parent.horizontalCenter
            text: qsTr("Tilføj en opgave for at komme i gang")
            textFormat: Text.PlainText
            font.pixelSize: 13
            color: empty.theme.withOpacity(empty.theme.textBase, 0.3)
            Accessible.role: Accessible.StaticText
            Accessible.name: qsTr("Tilføj en opgave for at komme i gang")
        }
        Item { width: 1; height: 4 }
        DayButton {
            objectName: "emptyAddButton"
            anchors.horizontalCenter: parent.horizontalCenter
            theme: empty.theme
            text: qsTr("Ny opgave")
            iconName: "plus"
            weight: Font.DemiBold
            pixelSize: 13
            fill: empty.theme.accent
            textColor: "white"
            leftPadding: 14
            rightPadding: 14
            topPadding: 6
            bottomPadding: 6
            // A closed day takes no new tasks.
            enabled: !empty.viewModel.isDayClosed
            onClicked: empty.addRequested()
        }
    }
}
