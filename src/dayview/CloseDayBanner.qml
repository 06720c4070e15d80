import QtQuick
import QtQuick.Layouts
import Timeglas

// Asks before closing the selected day, with the number of tasks and the hours that closing
// will freeze. It follows the selected day while open.
DayBanner {
    id: banner

    required property DayBannerState banners
    readonly property DayClosingModel closing: banner.banners.viewModel.closing

    objectName: "closeDayBanner"
    shown: banner.banners.closeDayOpen
    Accessible.name: banner.closing.confirmTitle

    RowLayout {
        width: parent.width
        spacing: 8

        ColumnLayout {
            Layout.fillWidth: true
            spacing: 3

            Text {
                objectName: "closeDayTitle"
                Accessible.role: Accessible.StaticText
                Accessible.name: banner.closing.confirmTitle
                Layout.fillWidth: true
                text: banner.closing.confirmTitle
                textFormat: Text.PlainText
                elide: Text.ElideRight
                font.pixelSize: 13
                font.weight: Font.DemiBold
                color: banner.theme.withOpacity(banner.theme.textBase, 0.85)
            }
            Text {
                objectName: "closeDayLine"
                Accessible.role: Accessible.StaticText
                Accessible.name: banner.closing.confirmLine
                Layout.fillWidth: true
                text: banner.closing.confirmLine
                textFormat: Text.PlainText
                elide: Text.ElideRight
                font.pixelSize: 11
                color: banner.theme.withOpacity(banner.theme.textBase, 0.5)
            }
        }
        DayButton {
            objectName: "closeDayCancelButton"
            theme: banner.theme
            text: qsTr("Annuller")
            textColor: banner.theme.withOpacity(banner.theme.textBase, 0.6)
            onClicked: banner.banners.closeDayOpen = false
        }
        DayButton {
            objectName: "closeDayConfirmButton"
            theme: banner.theme
            text: qsTr("Luk dag")
            iconName: "lock.fill"
            weight: Font.Bold
            fill: banner.theme.blue
            textColor: "white"
            Accessible.description: banner.closing.confirmTitle
            onClicked: banner.banners.closeDay()
        }
    }
}
