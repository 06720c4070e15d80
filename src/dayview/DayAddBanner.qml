import QtQuick
import QtQuick.Controls.Basic
import QtQuick.Layouts
import Timeglas

// The field for a new task's name. Return, "Tilføj" and leaving the field all add the task.
DayBanner {
    id: banner

    required property MenuBarContentViewModel viewModel

    objectName: "addBanner"
    shown: banner.viewModel.showAddBanner
    Accessible.name: qsTr("Ny opgave")

    Connections {
        target: banner.viewModel

        function onIsAddFieldFocusedChanged() {
            if (banner.viewModel.isAddFieldFocused && !addField.activeFocus)
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
            text: banner.viewModel.newTaskName
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
            onTextEdited: banner.viewModel.newTaskName = addField.text
            onAccepted: banner.viewModel.commitNewTask()
            onActiveFocusChanged: banner.viewModel.isAddFieldFocused = addField.activeFocus
        }
        DayButton {
            objectName: "addCancelButton"
            theme: banner.theme
            text: qsTr("Annuller")
            onClicked: banner.viewModel.cancelAddBanner()
        }
        DayButton {
            objectName: "addConfirmButton"
            theme: banner.theme
            text: qsTr("Tilføj")
            weight: Font.Bold
            fill: banner.theme.green
            textColor: "white"
            onClicked: banner.viewModel.commitNewTask()
        }
    }
}
