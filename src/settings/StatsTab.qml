pragma ComponentBehavior: Bound
import QtQuick
import QtQuick.Controls.Basic
import QtQuick.Layouts
import Timeglas

// The statistics tab: the period, four key figures, hours per day, the breakdown by
// project code and the count of closed days. Every figure comes from StatsTabModel.
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

    StatsTabModel {
        id: stats

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
                options: stats.periodOptions
                chosenValue: stats.statsPeriod
                onChosen: (value) => stats.statsPeriod = value
            }
        }

        SettingsSection {
            theme: tab.theme
            title: qsTr("Overblik")

            GridLayout {
                Layout.fillWidth: true
                columns: 2
                rowSpacing: 12
                columnSpacing: 12

                Repeater {
                    model: stats.overview

                    delegate: Rectangle {
                        id: cell

                        required property var modelData

                        Layout.fillWidth: true
                        Layout.preferredWidth: 1
                        implicitHeight: cellColumn.implicitHeight + 16
                        radius: 6
                        color: tab.theme.isDark ? Qt.rgba(0.11, 0.12, 0.14, 0.5) : Qt.rgba(0.96, 0.96, 0.97, 0.5)
                        Accessible.role: Accessible.StaticText
                        Accessible.name: cell.modelData.title + ": " + cell.modelData.value

                        Column {
                            id: cellColumn

                            anchors.centerIn: parent
                            spacing: 2

                            Text {
                                anchors.horizontalCenter: parent.horizontalCenter
                                text: cell.modelData.value
                                textFormat: Text.PlainText
                                font.pixelSize: 18
                                font.bold: true
                                color: tab.theme.accent
                            }

                            Text {
                                anchors.horizontalCenter: parent.horizontalCenter
                                text: cell.modelData.title
                                textFormat: Text.PlainText
                                font.pixelSize: 10
                                color: tab.ink(0.3)
                            }
                        }
                    }
                }
            }
        }

        SettingsSection {
            visible: stats.dayCount > 0
            theme: tab.theme
            title: qsTr("Timer pr. dag")

            // A few days: a labelled column each.
            Row {
                id: labelledDays

                readonly property real columnWidth: (labelledDays.width - labelledDays.spacing * (stats.dayCount - 1))
                                                    / Math.max(1, stats.dayCount)

                Layout.fillWidth: true
                visible: stats.showsDayLabels
                spacing: 3

                Repeater {
                    model: stats.dayColumns

                    delegate: Item {
                        id: dayColumn

                        required property var modelData

                        width: labelledDays.columnWidth
                        height: 80 + 38
                        Accessible.role: Accessible.StaticText
                        Accessible.name: qsTr("%1 %2: %3 t").arg(dayColumn.modelData.weekday).arg(dayColumn.modelData.date)
                                             .arg(dayColumn.modelData.hours)

                        Column {
                            anchors.bottom: parent.bottom
                            width: parent.width
                            spacing: 2

                            Text {
                                width: parent.width
                                horizontalAlignment: Text.AlignHCenter
                                text: dayColumn.modelData.hours
                                textFormat: Text.PlainText
                                font.pixelSize: 8
                                color: tab.ink(0.3)
                            }

                            Rectangle {
                                width: parent.width
                                height: dayColumn.modelData.height
                                radius: 3
                                color: tab.theme.withOpacity(tab.theme.accent, 0.7)
                            }

                            Text {
                                width: parent.width
                                horizontalAlignment: Text.AlignHCenter
                                text: dayColumn.modelData.weekday
                                textFormat: Text.PlainText
                                font.pixelSize: 9
                                font.weight: Font.Medium
                                color: tab.ink(0.85)
                                elide: Text.ElideRight
                            }

                            Text {
                                width: parent.width
                                horizontalAlignment: Text.AlignHCenter
                                text: dayColumn.modelData.date
                                textFormat: Text.PlainText
                                font.pixelSize: 8
                                color: tab.ink(0.5)
                                elide: Text.ElideRight
                            }
                        }
                    }
                }
            }

            // Many days: the bars share the width, each day told by its tooltip.
            ColumnLayout {
                Layout.fillWidth: true
                visible: !stats.showsDayLabels
                spacing: 4

                DayBarChart {
                    id: chart

                    Layout.fillWidth: true
                    Layout.preferredHeight: 80
                    heights: stats.dayBarHeights
                    color: tab.theme.withOpacity(tab.theme.accent, 0.7)
                    spacing: 3
                    radius: 3

                    MouseArea {
                        id: chartHover

                        property int day: -1

                        anchors.fill: parent
                        hoverEnabled: true
                        acceptedButtons: Qt.NoButton
                        onPositionChanged: (mouse) => chartHover.day = chart.indexAt(mouse.x)
                        onExited: chartHover.day = -1

                        PlainToolTip {
                            visible: chartHover.day >= 0
                            text: stats.dayDescription(chartHover.day)
                        }
                    }
                }

                RowLayout {
                    Layout.fillWidth: true

                    Text {
                        text: stats.firstDayText
                        textFormat: Text.PlainText
                        font.pixelSize: 8
                        color: tab.ink(0.5)
                        Accessible.role: Accessible.StaticText
                        Accessible.name: stats.firstDayText
                    }

                    Text {
                        Layout.fillWidth: true
                        horizontalAlignment: Text.AlignHCenter
                        text: qsTr("%n dage", "", stats.dayCount)
                        textFormat: Text.PlainText
                        font.pixelSize: 8
                        color: tab.ink(0.3)
                        Accessible.role: Accessible.StaticText
                        Accessible.name: qsTr("%n dage", "", stats.dayCount)
                    }

                    Text {
                        text: stats.lastDayText
                        textFormat: Text.PlainText
                        font.pixelSize: 8
                        color: tab.ink(0.5)
                        Accessible.role: Accessible.StaticText
                        Accessible.name: stats.lastDayText
                    }
                }
            }
        }

        SettingsSection {
            visible: stats.projectRows.length > 0
            theme: tab.theme
            title: qsTr("Pr. projektkode")

            Repeater {
                model: stats.projectRows

                // Plain anchored items rather than nested layouts: "Alt" over years of
                // work can hold hundreds of codes, and each row is made on every change.
                delegate: Item {
                    id: codeRow

                    required property var modelData
                    required property int index

                    readonly property real lineGap: codeRow.index > 0 ? 9 : 0

                    Layout.fillWidth: true
                    implicitHeight: codeRow.lineGap + codeTitle.height + codeCount.height + 6 + 4
                    Accessible.role: Accessible.StaticText
                    Accessible.name: qsTr("%4, %1, %2, %3").arg(codeRow.modelData.count).arg(codeRow.modelData.hours)
                                         .arg(codeRow.modelData.billable).arg(codeRow.modelData.code)

                    Rectangle {
                        visible: codeRow.index > 0
                        width: codeRow.width
                        height: 1
                        color: tab.theme.hairline
                    }

                    Text {
                        id: codeTitle

                        y: codeRow.lineGap
                        width: codeRow.width - codeHours.implicitWidth - 8
                        text: codeRow.modelData.code
                        textFormat: Text.PlainText
                        font.pixelSize: 12
                        font.weight: Font.DemiBold
                        color: tab.ink(0.85)
                        elide: Text.ElideRight
                    }

                    Text {
                        id: codeCount

                        anchors.top: codeTitle.bottom
                        anchors.topMargin: 1
                        text: codeRow.modelData.count
                        textFormat: Text.PlainText
                        font.pixelSize: 10
                        color: tab.ink(0.3)
                    }

                    Text {
                        id: codeHours

                        anchors.right: parent.right
                        y: codeRow.lineGap
                        text: codeRow.modelData.hours
                        textFormat: Text.PlainText
                        font.pixelSize: 12
                        font.weight: Font.Medium
                        color: tab.ink(0.85)
                    }

                    Text {
                        anchors.right: parent.right
                        anchors.top: codeHours.bottom
                        anchors.topMargin: 1
                        text: codeRow.modelData.billable
                        textFormat: Text.PlainText
                        font.pixelSize: 10
                        color: tab.ink(0.3)
                    }

                    Rectangle {
                        anchors.bottom: parent.bottom
                        width: codeRow.width * codeRow.modelData.fraction
                        height: 4
                        radius: 2
                        color: tab.theme.withOpacity(tab.theme.accent, 0.3)
                    }
                }
            }
        }

        SettingsSection {
            visible: stats.closedDayCount > 0
            theme: tab.theme
            title: qsTr("Afsluttede dage")

            RowLayout {
                Layout.fillWidth: true
                Accessible.role: Accessible.StaticText
                Accessible.name: qsTr("Dage afsluttet: %1").arg(stats.closedDayCount)

                Text {
                    Layout.fillWidth: true
                    text: qsTr("Dage afsluttet")
                    textFormat: Text.PlainText
                    font.pixelSize: 12
                    color: tab.ink(0.85)
                }

                Text {
                    text: stats.closedDayCount
                    textFormat: Text.PlainText
                    font.pixelSize: 12
                    font.weight: Font.Medium
                    color: tab.ink(0.85)
                }
            }
        }
    }
}
