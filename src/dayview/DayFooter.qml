import QtQuick
import QtQuick.Controls.Basic
import QtQuick.Layouts
import Timeglas

// Under the task list: the day's totals with "Luk dag", or, once the day is closed, the strip
// with the hours that closing froze.
Item {
    id: footer

    required property DayClosingModel closing
    required property Theme theme
    readonly property bool isClosed: footer.closing.closedDayRecord !== null
    readonly property color faintInk: footer.theme.withOpacity(footer.theme.textBase, 0.3)

    // "Luk dag": the day screen asks for confirmation.
    signal closeRequested()

    implicitHeight: 40

    Rectangle {
        width: footer.width
        height: 1
        color: footer.theme.hairline
    }

    RowLayout {
        objectName: "closedStrip"
        anchors.fill: parent
        anchors.leftMargin: 16
        anchors.rightMargin: 16
        spacing: 6
        visible: footer.isClosed

        Icon {
            name: "lock.fill"
            size: DayStyle.iconSize(10)
            color: footer.faintInk
        }
        Text {
            text: qsTr("Dag lukket")
            textFormat: Text.PlainText
            font.pixelSize: 11
            font.weight: Font.Bold
            font.capitalization: Font.AllUppercase
            color: footer.faintInk
            Accessible.role: Accessible.StaticText
            Accessible.name: qsTr("Dag lukket")
        }
        Text {
            objectName: "closedHoursText"
            Layout.fillWidth: true
            text: footer.closing.closedText
            textFormat: Text.PlainText
            font.pixelSize: 11
            font.weight: Font.Medium
            color: footer.faintInk
            elide: Text.ElideRight
            Accessible.role: Accessible.StaticText
            Accessible.name: footer.closing.closedText
        }
    }

    RowLayout {
        objectName: "totalsLine"
        anchors.fill: parent
        anchors.leftMargin: 16
        anchors.rightMargin: 12
        spacing: 0
        visible: !footer.isClosed

        Text {
            Layout.fillWidth: true
            text: qsTr("I alt")
            textFormat: Text.PlainText
            font.pixelSize: 11
            font.weight: Font.Bold
            font.capitalization: Font.AllUppercase
            color: footer.faintInk
            Accessible.role: Accessible.StaticText
            Accessible.name: qsTr("I alt")
        }
        Text {
            objectName: "totalTimeText"
            Layout.preferredWidth: 68
            horizontalAlignment: Text.AlignRight
            text: footer.closing.totalTimeText
            textFormat: Text.PlainText
            font.pixelSize: 13
            font.weight: Font.DemiBold
            color: footer.theme.withOpacity(footer.theme.textBase, 0.85)
            Accessible.role: Accessible.StaticText
            Accessible.name: qsTr("I alt %1").arg(footer.closing.totalTimeText)
        }
        Text {
            objectName: "totalHoursText"
            Layout.preferredWidth: 44
            horizontalAlignment: Text.AlignRight
            text: footer.closing.totalHoursText
            textFormat: Text.PlainText
            font.pixelSize: 12
            font.weight: Font.Bold
            color: footer.theme.accent
            Accessible.role: Accessible.StaticText
            Accessible.name: qsTr("%1 timer").arg(footer.closing.totalHoursText)
        }
        Button {
            id: closeButton

            objectName: "closeDayButton"
            Layout.leftMargin: 10
            text: qsTr("Luk dag")
            focusPolicy: Qt.TabFocus
            hoverEnabled: true
            leftPadding: 9
            rightPadding: 9
            topPadding: 5
            bottomPadding: 5
            Accessible.name: closeButton.text
            Accessible.onPressAction: closeButton.clicked()
            onClicked: footer.closeRequested()

            FocusRing {
                theme: footer.theme
                shown: closeButton.visualFocus
            }

            background: Rectangle {
                radius: 6
                color: footer.theme.withOpacity(footer.theme.textBase,
                                                closeButton.down ? 0.12 : (closeButton.hovered ? 0.09 : 0.06))
            }
            contentItem: Row {
                spacing: 4

                Icon {
                    anchors.verticalCenter: parent.verticalCenter
                    name: "lock.fill"
                    size: DayStyle.iconSize(9)
                    color: footer.theme.withOpacity(footer.theme.textBase, 0.6)
                }
                Text {
                    anchors.verticalCenter: parent.verticalCenter
                    text: closeButton.text
                    textFormat: Text.PlainText
                    font.pixelSize: 11
                    font.weight: Font.DemiBold
                    color: footer.theme.withOpacity(footer.theme.textBase, 0.7)
                }
            }
        }
    }
}
