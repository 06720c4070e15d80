pragma ComponentBehavior: Bound
import QtQuick
import QtQuick.Layouts
import Timeglas

// The labels over the task list, in the widths of the rows' columns.
Item {
    id: header

    required property Theme theme
    property bool showBillableTime: true

    // Read out as written; the capitals are only the look.
    component HeaderText: Text {
        id: headerText

        textFormat: Text.PlainText
        font.pixelSize: 10
        font.weight: Font.DemiBold
        font.capitalization: Font.AllUppercase
        font.letterSpacing: 0.5
        color: header.theme.withOpacity(header.theme.textBase, 0.3)
        Accessible.role: Accessible.ColumnHeader
        Accessible.name: headerText.text
    }

    implicitHeight: 26

    RowLayout {
        anchors.fill: parent
        anchors.leftMargin: 50
        anchors.rightMargin: 12
        spacing: 0

        HeaderText { text: qsTr("Opgave"); Layout.fillWidth: true }
        HeaderText { text: qsTr("Kode"); Layout.preferredWidth: 64; horizontalAlignment: Text.AlignHCenter }
        HeaderText { text: qsTr("Tid"); Layout.preferredWidth: 68; horizontalAlignment: Text.AlignRight }
        HeaderText {
            objectName: "hoursHeader"
            text: header.showBillableTime ? qsTr("Fakt.") : qsTr("Dec.")
            textFormat: Text.PlainText
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
