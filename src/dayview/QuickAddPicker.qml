pragma ComponentBehavior: Bound
import QtQuick
import QtQuick.Controls.Basic
import QtQuick.Layouts
import Timeglas

// The stored templates as one-click rows: a click adds a task made from the template at the
// end of the selected day and closes the picker.
DayBanner {
    id: banner

    required property DayBannerState banners
    readonly property QuickAddPickerModel picker: banner.banners.viewModel.quickAdd
    required property RecordListModel templates

    objectName: "quickAddPicker"
    shown: banner.banners.templatesOpen
    padding: 10
    Accessible.name: qsTr("Hurtig tilføj")

    ColumnLayout {
        width: parent.width
        spacing: 6

        RowLayout {
            Layout.fillWidth: true
            Layout.leftMargin: 4
            spacing: 0

            Text {
                Layout.fillWidth: true
                text: qsTr("Hurtig tilføj")
                textFormat: Text.PlainText
                font.pixelSize: 10
                font.weight: Font.DemiBold
                font.capitalization: Font.AllUppercase
                font.letterSpacing: 0.8
                color: banner.theme.withOpacity(banner.theme.textBase, 0.3)
                Accessible.role: Accessible.Heading
                Accessible.name: qsTr("Hurtig tilføj")
            }
            AbstractButton {
                id: closeButton

                objectName: "quickAddCloseButton"
                implicitWidth: 20
                implicitHeight: 20
                padding: 0
                focusPolicy: Qt.TabFocus
                hoverEnabled: true
                text: qsTr("Luk")
                Accessible.role: Accessible.Button
                Accessible.name: qsTr("Luk hurtig tilføj")
                Accessible.onPressAction: closeButton.clicked()
                onClicked: banner.banners.templatesOpen = false

                FocusRing {
                    theme: banner.theme
                    shown: closeButton.visualFocus
                    radius: 10
                }

                background: Rectangle {
                    radius: 10
                    color: banner.theme.withOpacity(banner.theme.textBase, closeButton.hovered ? 0.1 : 0.05)
                }
                contentItem: Icon {
                    name: "xmark"
                    size: DayStyle.iconSize(9)
                    color: banner.theme.withOpacity(banner.theme.textBase, 0.5)
                }
            }
        }

        ListView {
            id: list

            objectName: "quickAddList"
            Layout.fillWidth: true
            Layout.preferredHeight: Math.min(200, list.contentHeight)
            clip: true
            spacing: 1
            boundsBehavior: Flickable.StopAtBounds
            model: banner.templates
            Accessible.role: Accessible.List
            Accessible.name: qsTr("Skabeloner")
            ScrollBar.vertical: ScrollBar { policy: ScrollBar.AsNeeded }

            // The list takes presses for scrolling; one on its free part still ends text editing.
            TapHandler {
                acceptedButtons: Qt.AllButtons
                onPressedChanged: {
                    if (pressed)
                        banner.emptyPressed()
                }
            }

            delegate: AbstractButton {
                id: row

                required property TaskTemplate record

                objectName: "quickAddRow"
                width: list.width
                height: 30
                padding: 0
                leftPadding: 6
                rightPadding: 6
                focusPolicy: Qt.TabFocus
                hoverEnabled: true
                // A closed day takes no new tasks, not even from a picker opened before it closed.
                enabled: banner.picker.canAdd
                opacity: row.enabled ? 1 : 0.4
                text: row.record?.name ?? ""
                Accessible.role: Accessible.Button
                Accessible.name: row.text
                Accessible.description: row.record?.projectCode ?? ""
                Accessible.onPressAction: if (row.enabled) row.clicked()
                onClicked: banner.banners.addFromTemplate(row.record)

                FocusRing {
                    theme: banner.theme
                    shown: row.visualFocus
                }

                background: Rectangle {
                    radius: 6
                    color: row.hovered && row.enabled
                           ? banner.theme.withOpacity(banner.theme.textBase, row.down ? 0.08 : 0.05) : "transparent"
                }
                contentItem: RowLayout {
                    spacing: 8

                    Icon {
                        name: "doc.text"
                        size: DayStyle.iconSize(11)
                        color: banner.theme.withOpacity(banner.theme.accent, 0.7)
                    }
                    Text {
                        Layout.fillWidth: true
                        text: row.text
                        textFormat: Text.PlainText
                        elide: Text.ElideRight
                        font.pixelSize: 12
                        color: banner.theme.withOpacity(banner.theme.textBase, 0.85)
                    }
                    Text {
                        visible: row.record?.hasProjectCode ?? false
                        text: row.record?.projectCode ?? ""
                        textFormat: Text.PlainText
                        font.pixelSize: 10
                        font.weight: Font.DemiBold
                        color: banner.theme.withOpacity(banner.theme.textBase, 0.45)
                    }
                    Icon {
                        name: "plus.circle"
                        size: DayStyle.iconSize(13)
                        color: banner.theme.withOpacity(banner.theme.textBase, 0.4)
                    }
                }
            }
        }
    }
}
