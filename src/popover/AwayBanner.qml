import QtQuick
import QtQuick.Layouts
import Timeglas

// Asks about time away while a task ran: keep it, leave it out, or leave it out and stop
// where the absence began. Doing nothing keeps the time.
Rectangle {
    id: banner

    required property AwayTracker tracker
    required property Theme theme

    objectName: "awayBanner"
    visible: banner.tracker.hasQuestion
    height: banner.visible ? content.implicitHeight + 20 : 0
    color: banner.theme.isDark ? Qt.rgba(0.15, 0.16, 0.19, 1) : Qt.rgba(1, 1, 1, 1)
    Accessible.role: Accessible.AlertMessage
    Accessible.name: question.text

    ColumnLayout {
        id: content

        anchors.left: parent.left
        anchors.right: parent.right
        anchors.verticalCenter: parent.verticalCenter
        anchors.margins: 12
        spacing: 6

        Text {
            id: question

            Layout.fillWidth: true
            text: banner.tracker.questionText
            textFormat: Text.PlainText
            wrapMode: Text.Wrap
            maximumLineCount: 2
            elide: Text.ElideRight
            font.pixelSize: 13
            font.weight: Font.DemiBold
            color: banner.theme.withOpacity(banner.theme.textBase, 0.85)
        }
        RowLayout {
            Layout.alignment: Qt.AlignRight
            spacing: 8

            DayButton {
                objectName: "awayKeepButton"
                theme: banner.theme
                text: qsTr("Behold")
                onClicked: banner.tracker.answer(0)
            }
            DayButton {
                objectName: "awayRemoveButton"
                theme: banner.theme
                text: qsTr("Fjern tiden")
                onClicked: banner.tracker.answer(1)
            }
            DayButton {
                objectName: "awayRemoveAndStopButton"
                theme: banner.theme
                text: qsTr("Fjern og stop")
                weight: Font.Bold
                fill: banner.theme.red
                textColor: "white"
                onClicked: banner.tracker.answer(2)
            }
        }
    }
    Rectangle {
        anchors.bottom: parent.bottom
        width: parent.width
        height: 1
        color: banner.theme.withOpacity(banner.theme.textBase, banner.theme.isDark ? 0.06 : 0.08)
    }
}
