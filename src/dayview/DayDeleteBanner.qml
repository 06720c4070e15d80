import QtQuick
import QtQuick.Layouts
import Timeglas

// Asks before deleting a task that has recorded time.
DayBanner {
    id: banner

    required property DayBannerState banners
    // Follows a rename of the task while the question is open.
    readonly property string title: {
        const task = banner.banners.taskToDelete
        if (!task)
            return ""
        void task.name
        return banner.banners.viewModel.deleteTitle(task)
    }

    objectName: "deleteBanner"
    shown: banner.banners.taskToDelete !== null
    Accessible.name: banner.title

    RowLayout {
        width: parent.width
        spacing: 8

        ColumnLayout {
            Layout.fillWidth: true
            spacing: 3

            Text {
                Layout.fillWidth: true
                text: banner.title
                textFormat: Text.PlainText
                elide: Text.ElideRight
                font.pixelSize: 13
                font.weight: Font.DemiBold
                color: banner.theme.withOpacity(banner.theme.textBase, 0.85)
                Accessible.role: Accessible.StaticText
                Accessible.name: banner.title
            }
            Text {
                Layout.fillWidth: true
                text: qsTr("Denne opgave har registreret tid.")
                textFormat: Text.PlainText
                font.pixelSize: 11
                color: banner.theme.withOpacity(banner.theme.textBase, 0.5)
                Accessible.role: Accessible.StaticText
                Accessible.name: qsTr("Denne opgave har registreret tid.")
            }
        }
        DayButton {
            objectName: "deleteCancelButton"
            theme: banner.theme
            text: qsTr("Annuller")
            onClicked: banner.banners.taskToDelete = null
        }
        DayButton {
            objectName: "deleteConfirmButton"
            theme: banner.theme
            text: qsTr("Slet")
            weight: Font.Bold
            fill: banner.theme.red
            textColor: "white"
            onClicked: banner.banners.confirmDelete()
        }
    }
}
