import QtQuick
import QtQuick.Controls.Basic
import QtQuick.Layouts
import Timeglas

// The field for a new task's name. Return, "Tilføj" and leaving the field all add the task.
DayBanner {
    id: banner

    required property DayBannerState banners

    objectName: "addBanner"
    shown: banner.banners.addOpen
    Accessible.name: qsTr("Ny opgave")

    // The field takes the keyboard a moment after opening, once whatever opened the banner
    // has let go of it; by then the banner may have closed again.
    Connections {
        target: banner.banners

        function onAddOpened() {
            focusDelay.restart()
        }
    }
    Timer {
        id: focusDelay

        interval: 100
        onTriggered: {
            if (banner.banners.addOpen && !addField.activeFocus)
                addField.forceActiveFocus()
        }
    }

    RowLayout {
        width: parent.width
        spacing: 8

        Icon {
            name: "plus.circle.fill"
            size: DayStyle.iconSize(18)
            color: banner.theme.green
        }
        TextField {
            id: addField

            objectName: "addField"
            Layout.fillWidth: true
            text: banner.banners.newTaskName
            placeholderText: qsTr("Opgavenavn")
            placeholderTextColor: banner.theme.withOpacity(banner.theme.textBase, 0.3)
            color: banner.theme.withOpacity(banner.theme.textBase, 0.85)
            selectionColor: banner.theme.withOpacity(banner.theme.accent, 0.35)
            selectedTextColor: banner.theme.withOpacity(banner.theme.textBase, 0.85)
            font.pixelSize: 13
            font.weight: Font.Medium
            padding: 0
            leftPadding: 0
            rightPadding: 0
            background: null
            selectByMouse: true
            Accessible.name: qsTr("Opgavenavn")
            onTextEdited: banner.banners.newTaskName = addField.text
            onAccepted: banner.banners.commitAdd()
            // Leaving the field adds the task, as Return does.
            onActiveFocusChanged: {
                if (!addField.activeFocus)
                    banner.banners.commitAdd()
            }
        }
        DayButton {
            objectName: "addCancelButton"
            theme: banner.theme
            text: qsTr("Annuller")
            onClicked: banner.banners.cancelAdd()
        }
        DayButton {
            objectName: "addConfirmButton"
            theme: banner.theme
            text: qsTr("Tilføj")
            weight: Font.Bold
            fill: banner.theme.green
            textColor: "white"
            onClicked: banner.banners.commitAdd()
        }
    }
}
