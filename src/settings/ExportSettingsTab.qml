pragma ComponentBehavior: Bound
import QtQuick
import QtQuick.Controls.Basic
import QtQuick.Layouts
import Timeglas

// The export tab: range and format, the summary of what would be written, the button and
// the short notice after a written file.
Flickable {
    id: tab

    required property AppServices services
    readonly property Theme theme: tab.services.theme

    // A press on the tab's free space, which ends text editing as one on the screen's does.
    signal emptyPressed()

    function ink(opacity: real): color {
        return tab.theme.withOpacity(tab.theme.textBase, opacity);
    }

    contentWidth: width
    contentHeight: sections.implicitHeight + 40
    clip: true
    boundsBehavior: Flickable.StopAtBounds
    ScrollBar.vertical: ScrollBar {}

    // The view takes presses for scrolling; one on its free part still ends text editing.
    TapHandler {
        acceptedButtons: Qt.AllButtons
        onPressedChanged: {
            if (pressed)
                tab.emptyPressed()
        }
    }

    ExportSettingsTabModel {
        id: exporter

        services: tab.services
    }

    ColumnLayout {
        id: sections

        x: 20
        y: 20
        width: tab.width - 40
        spacing: 20

        SettingsSection {
            theme: tab.theme
            title: qsTr("Periode")

            OptionRow {
                Layout.fillWidth: true
                theme: tab.theme
                options: exporter.rangeOptions
                chosenValue: exporter.exportRange
                onChosen: (value) => exporter.exportRange = value
            }
        }

        SettingsSection {
            theme: tab.theme
            title: qsTr("Format")

            OptionRow {
                Layout.fillWidth: true
                theme: tab.theme
                options: exporter.formatOptions
                chosenValue: exporter.exportFormat
                onChosen: (value) => exporter.exportFormat = value
            }
        }

        SettingsSection {
            theme: tab.theme
            title: qsTr("Oversigt")

            Repeater {
                model: [
                    { label: qsTr("Opgaver"), value: exporter.taskCountText },
                    { label: qsTr("Timer i alt"), value: exporter.hoursText },
                    { label: qsTr("Fakturerbare timer"), value: exporter.billableHoursText }
                ]

                delegate: RowLayout {
                    id: summaryRow

                    required property var modelData

                    Layout.fillWidth: true
                    spacing: 8
                    Accessible.role: Accessible.StaticText
                    Accessible.name: qsTr("%1: %2").arg(summaryRow.modelData.label).arg(summaryRow.modelData.value)

                    Text {
                        Layout.fillWidth: true
                        text: summaryRow.modelData.label
                        textFormat: Text.PlainText
                        font.pixelSize: 12
                        color: tab.ink(0.5)
                        elide: Text.ElideRight
                    }

                    Text {
                        text: summaryRow.modelData.value
                        textFormat: Text.PlainText
                        font.pixelSize: 12
                        font.weight: Font.Medium
                        color: tab.ink(0.85)
                    }
                }
            }
        }

        AbstractButton {
            id: exportButton

            Layout.fillWidth: true
            implicitHeight: 36
            enabled: exporter.canExport && !exporter.isChoosingFile
            hoverEnabled: true
            Accessible.role: Accessible.Button
            Accessible.name: qsTr("Eksportér")
            Accessible.onPressAction: exportButton.clicked()
            onClicked: exporter.performExport()

            background: Rectangle {
                radius: 8
                color: !exporter.canExport ? tab.ink(0.3)
                     : exportButton.down ? tab.theme.accentDark : tab.theme.accent
            }

            contentItem: Item {
                Row {
                    anchors.centerIn: parent
                    spacing: 6

                    Icon {
                        anchors.verticalCenter: parent.verticalCenter
                        name: "square.and.arrow.up"
                        size: 14
                        color: "white"
                    }

                    Text {
                        anchors.verticalCenter: parent.verticalCenter
                        text: qsTr("Eksportér")
                        textFormat: Text.PlainText
                        font.pixelSize: 13
                        font.weight: Font.DemiBold
                        color: "white"
                    }
                }
            }
        }

        // Slides in from its top edge with a fade, and leaves the same way.
        Item {
            id: notice

            // A failure takes the success notice's place, and stays until the next export.
            readonly property bool failed: exporter.exportError.length > 0
            readonly property bool shown: exporter.showExportSuccess || notice.failed

            Layout.fillWidth: true
            implicitHeight: notice.shown ? noticeRow.implicitHeight : 0
            clip: true

            Behavior on implicitHeight {
                NumberAnimation {
                    duration: 150
                    easing.type: Easing.InOutQuad
                }
            }

            Row {
                id: noticeRow

                y: notice.shown ? 0 : -noticeRow.implicitHeight
                opacity: notice.shown ? 1 : 0
                spacing: 6
                Accessible.role: Accessible.AlertMessage
                Accessible.name: noticeText.text

                Behavior on y {
                    NumberAnimation {
                        duration: 150
                        easing.type: Easing.InOutQuad
                    }
                }

                Behavior on opacity {
                    NumberAnimation {
                        duration: 150
                        easing.type: Easing.InOutQuad
                    }
                }

                Icon {
                    anchors.verticalCenter: parent.verticalCenter
                    name: notice.failed ? "exclamationmark.triangle.fill" : "checkmark.circle.fill"
                    size: 14
                    color: notice.failed ? tab.theme.red : tab.theme.green
                }

                Text {
                    id: noticeText

                    anchors.verticalCenter: parent.verticalCenter
                    width: notice.width - 20
                    text: notice.failed ? exporter.exportError : qsTr("Eksport gemt")
                    textFormat: Text.PlainText
                    wrapMode: Text.Wrap
                    maximumLineCount: 3
                    elide: Text.ElideRight
                    font.pixelSize: 12
                    color: notice.failed ? tab.theme.red : tab.ink(tab.theme.isDark ? 0.5 : 0.45)
                }
            }
        }
    }
}
