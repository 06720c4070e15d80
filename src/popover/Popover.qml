import QtQuick
import Timeglas

// The popover's content: 420 × 600 on the popover background, with a strip above the
// screens while changes cannot be saved, and the question about time away.
Rectangle {
    id: popover

    required property AppServices services

    width: 420
    height: 600
    color: popover.services.theme.background

    Rectangle {
        id: saveWarning

        anchors.left: parent.left
        anchors.right: parent.right
        anchors.top: parent.top
        height: saveWarning.visible ? saveWarningText.implicitHeight + 12 : 0
        visible: popover.services.saveWarning.length > 0
        color: popover.services.theme.red

        Text {
            id: saveWarningText

            anchors.left: parent.left
            anchors.right: parent.right
            anchors.verticalCenter: parent.verticalCenter
            anchors.margins: 10
            text: popover.services.saveWarning
            textFormat: Text.PlainText
            wrapMode: Text.Wrap
            maximumLineCount: 3
            elide: Text.ElideRight
            color: "white"
            font.pixelSize: 12
            font.weight: Font.DemiBold
            Accessible.role: Accessible.AlertMessage
            Accessible.name: saveWarningText.text
        }
    }

    AwayBanner {
        id: awayBanner

        anchors.left: parent.left
        anchors.right: parent.right
        anchors.top: saveWarning.bottom
        tracker: popover.services.away
        theme: popover.services.theme
    }

    MenuBarContentView {
        anchors.left: parent.left
        anchors.right: parent.right
        anchors.top: awayBanner.bottom
        anchors.bottom: parent.bottom
        services: popover.services
    }
}
