pragma ComponentBehavior: Bound
import QtQuick
import QtQuick.Layouts
import Timeglas

// The labels over the task list, in the widths of the rows' columns.
Item {
    id: header

    required property Theme theme
    property bool showBillableTime: true

    component Label: Text {
        font.pixelSize: 10
        font.weight: Font.DemiBold
        font.capitalization: Font.AllUppercase
        font.letterSpacing: 0.5
        color: header.theme.withOpacity(header.theme.textBase, 0.3)
    }

    implicitHeight: 26

    RowLayout {
        anchors.fill: parent
        anchors.leftMargin: 50
        anchors.rightMargin: 12
        spacing: 0

        Label { text: "Opgave"; Layout.fillWidth: true }
        Label { text: "Kode"; Layout.preferredWidth: 64; horizontalAlignment: Text.AlignHCenter }
        Label { text: "Tid"; Layout.preferredWidth: 68; horizontalAlignment: Text.AlignRight }
        Label {
            objectName: "hoursHeader"
            text: header.showBillableTime ? "Fakt." : "Dec."
            Layout.preferredWidth: 44
            horizontalAlignment: Text.AlignRight
        }
    }
    Rectangle {
        anchors.bottom: parent.bottom
        width: parent.width
        height: 1
        color: header.theme.withOpacity(header.theme.textBase, header.theme.isDark ? 0.06 : 0.08)
    }
}
