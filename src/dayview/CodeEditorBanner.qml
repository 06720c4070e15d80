pragma ComponentBehavior: Bound
import QtQuick
import QtQuick.Controls.Basic
import QtQuick.Layouts
import Timeglas

// Sets or clears one task's project code: the catalogue's codes as chips over a free text
// field. Return, "Gem" and leaving the field store the field; "Fjern" clears the code.
DayBanner {
    id: banner

    required property DayBannerState banners
    required property RecordListModel projectCodes

    objectName: "codeEditorBanner"
    shown: banner.banners.codeTask !== null
    Accessible.name: qsTr("Projektkode")

    // The field takes the keyboard a moment after opening, once the menu that may have opened
    // the editor has let go of it; by then the editor may have closed again.
    Connections {
        target: banner.banners

        function onCodeOpened() {
            focusDelay.restart()
        }
    }
    Timer {
        id: focusDelay

        interval: 100
        onTriggered: {
            if (banner.banners.codeTask !== null && !codeField.activeFocus)
                codeField.forceActiveFocus()
        }
    }

    ColumnLayout {
        width: parent.width
        spacing: 10

        ListView {
            id: chips

            objectName: "codeChips"
            Layout.fillWidth: true
            implicitHeight: 22
            visible: banner.projectCodes.count > 0
            orientation: ListView.Horizontal
            spacing: 5
            clip: true
            boundsBehavior: Flickable.StopAtBounds
            model: banner.projectCodes
            Accessible.role: Accessible.List
            Accessible.name: qsTr("Projektkoder")

            // The list takes presses for scrolling; one on its free part still ends text editing.
            TapHandler {
                acceptedButtons: Qt.AllButtons
                onPressedChanged: {
                    if (pressed)
                        banner.emptyPressed()
                }
            }

            delegate: AbstractButton {
                id: chip

                required property ProjectCode record
                readonly property string code: chip.record?.code ?? ""
                // Exact text comparison: a hand-typed code that differs in any way chooses no chip.
                readonly property bool isChosen: chip.code === banner.banners.code

                objectName: "codeChip"
                height: chips.height
                leftPadding: 8
                rightPadding: 8
                focusPolicy: Qt.TabFocus
                // The button's own state is what assistive technology reads; a click on the
                // chosen chip unchooses it, as a toggle does.
                checkable: true
                checked: chip.isChosen
                Accessible.role: Accessible.Button
                Accessible.name: chip.record?.displayName ?? ""
                Accessible.onPressAction: chip.clicked()
                onClicked: banner.banners.chooseChip(chip.code)

                FocusRing {
                    theme: banner.theme
                    shown: chip.visualFocus
                }

                background: Rectangle {
                    radius: 5
                    color: chip.isChosen ? banner.theme.blue : banner.theme.withOpacity(banner.theme.blue, 0.12)
                }
                contentItem: Text {
                    text: chip.record?.displayName ?? ""
                    textFormat: Text.PlainText
                    verticalAlignment: Text.AlignVCenter
                    font.pixelSize: 10
                    font.weight: Font.DemiBold
                    color: chip.isChosen ? "white" : banner.theme.blue
                }
            }
        }

        RowLayout {
            Layout.fillWidth: true
            spacing: 8

            Icon {
                name: "tag.fill"
                size: DayStyle.iconSize(14)
                color: banner.theme.blue
            }
            ColumnLayout {
                Layout.fillWidth: true
                spacing: 1

                Text {
                    objectName: "codeEditorTaskName"
                    Layout.fillWidth: true
                    text: banner.banners.codeTask?.displayName ?? ""
                    textFormat: Text.PlainText
                    elide: Text.ElideRight
                    font.pixelSize: 11
                    font.weight: Font.Medium
                    color: banner.theme.withOpacity(banner.theme.textBase, 0.5)
                    Accessible.role: Accessible.StaticText
                    Accessible.name: banner.banners.codeTask?.displayName ?? ""
                }
                TextField {
                    id: codeField

                    objectName: "codeField"
                    Layout.fillWidth: true
                    text: banner.banners.code
                    placeholderText: qsTr("Projektkode")
                    placeholderTextColor: banner.theme.withOpacity(banner.theme.textBase, 0.3)
                    color: banner.theme.withOpacity(banner.theme.textBase, 0.85)
                    selectionColor: banner.theme.withOpacity(banner.theme.blue, 0.35)
                    selectedTextColor: banner.theme.withOpacity(banner.theme.textBase, 0.85)
                    font.pixelSize: 13
                    font.weight: Font.DemiBold
                    padding: 0
                    leftPadding: 0
                    rightPadding: 0
                    background: null
                    selectByMouse: true
                    Accessible.name: qsTr("Projektkode")
                    onTextEdited: banner.banners.code = codeField.text
                    onAccepted: banner.banners.saveCode()
                    // Leaving the field stores what was typed.
                    onActiveFocusChanged: {
                        if (!codeField.activeFocus)
                            banner.banners.saveCode()
                    }
                }
            }
            DayButton {
                objectName: "codeRemoveButton"
                visible: banner.banners.codeTask?.hasProjectCode ?? false
                theme: banner.theme
                text: qsTr("Fjern")
                textColor: banner.theme.red
                onClicked: banner.banners.removeCode()
            }
            DayButton {
                objectName: "codeCancelButton"
                theme: banner.theme
                text: qsTr("Annuller")
                textColor: banner.theme.withOpacity(banner.theme.textBase, 0.6)
                onClicked: banner.banners.closeCode()
            }
            DayButton {
                objectName: "codeSaveButton"
                theme: banner.theme
                text: qsTr("Gem")
                weight: Font.Bold
                fill: banner.theme.blue
                textColor: "white"
                onClicked: banner.banners.saveCode()
            }
        }
    }
}
