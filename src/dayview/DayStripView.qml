pragma ComponentBehavior: Bound
import QtQuick
import QtQuick.Controls.Basic
import QtQuick.Layouts
import Timeglas

// The week of the selected day under the clock card, Monday first, with the arrows to the
// weeks before and after; while another day than today is shown, a notice leads back to today.
Item {
    id: strip

    required property AppServices services
    readonly property Theme theme: strip.services.theme
    readonly property DayStripViewModel viewModel: stripVm
    readonly property color mutedInk: strip.theme.withOpacity(strip.theme.textBase, strip.theme.isDark ? 0.5 : 0.45)
    // 1 while the notice is shown; moves in 0.2 s so that the notice slides rather than jumps.
    property real noticeReveal: stripVm.isViewingOtherDay ? 1 : 0

    // Self-contained: everything it draws with is handed in.
    component ArrowButton: AbstractButton {
        id: arrow

        required property Theme theme
        property string iconName: ""
        property color ink: "gray"

        Layout.preferredWidth: 24
        Layout.fillHeight: true
        padding: 0
        focusPolicy: Qt.TabFocus
        hoverEnabled: true
        Accessible.role: Accessible.Button
        Accessible.name: arrow.text
        Accessible.onPressAction: arrow.clicked()

        FocusRing {
            theme: arrow.theme
            shown: arrow.visualFocus
        }

        background: Rectangle {
            radius: 6
            color: arrow.hovered ? arrow.theme.withOpacity(arrow.theme.textBase, arrow.down ? 0.1 : 0.05) : "transparent"
        }
        contentItem: Icon {
            name: arrow.iconName
            size: DayStyle.iconSize(12)
            font.weight: Font.DemiBold
            color: arrow.ink
        }
    }

    objectName: "dayStrip"
    implicitHeight: week.height + notice.height

    Behavior on noticeReveal { NumberAnimation { duration: 200; easing.type: Easing.InOutQuad } }

    DayStripViewModel {
        id: stripVm

        timerManager: strip.services.timerManager
    }

    Rectangle {
        id: week

        width: strip.width
        height: 60
        color: strip.theme.faint

        RowLayout {
            anchors.fill: parent
            anchors.margins: 8
            spacing: 0

            ArrowButton {
                objectName: "previousWeekButton"
                theme: strip.theme
                ink: strip.mutedInk
                text: qsTr("Forrige uge")
                iconName: "chevron.left"
                onClicked: stripVm.previousWeek()
            }

            Repeater {
                model: stripVm

                // The label, number, flags and name come from the model's roles of those names.
                delegate: DayCell {
                    id: cellDelegate

                    required property int index

                    objectName: "dayCell" + cellDelegate.index
                    Layout.fillWidth: true
                    Layout.fillHeight: true
                    theme: strip.theme
                    onTap: stripVm.selectDay(cellDelegate.index)
                }
            }

            ArrowButton {
                objectName: "nextWeekButton"
                theme: strip.theme
                ink: strip.mutedInk
                text: qsTr("Næste uge")
                iconName: "chevron.right"
                onClicked: stripVm.nextWeek()
            }
        }
    }

    Item {
        id: notice

        objectName: "otherDayNotice"
        y: week.height
        width: strip.width
        height: Math.round(noticeRow.implicitHeight + 12) * strip.noticeReveal
        visible: strip.noticeReveal > 0
        clip: true

        RowLayout {
            id: noticeRow

            x: 12
            y: 6 - (noticeRow.implicitHeight + 12) * (1 - strip.noticeReveal)
            width: notice.width - 24
            opacity: strip.noticeReveal
            spacing: 6

            Icon {
                name: "calendar"
                size: DayStyle.iconSize(11)
                color: strip.theme.accent
            }
            Text {
                Layout.fillWidth: true
                text: qsTr("Du kigger på en anden dag")
                textFormat: Text.PlainText
                font.pixelSize: 11
                font.weight: Font.Medium
                color: strip.mutedInk
                elide: Text.ElideRight
                Accessible.role: Accessible.StaticText
                Accessible.name: qsTr("Du kigger på en anden dag")
            }
            Button {
                id: todayButton

                objectName: "goToTodayButton"
                text: qsTr("Gå til i dag")
                focusPolicy: Qt.TabFocus
                leftPadding: 8
                rightPadding: 8
                topPadding: 3
                bottomPadding: 3
                Accessible.name: todayButton.text
                Accessible.onPressAction: todayButton.clicked()
                onClicked: stripVm.goToToday()

                FocusRing {
                    theme: strip.theme
                    shown: todayButton.visualFocus
                }

                background: Rectangle {
                    radius: 5
                    color: todayButton.down ? strip.theme.accentDark : strip.theme.accent
                }
                contentItem: Text {
                    text: todayButton.text
                    textFormat: Text.PlainText
                    font.pixelSize: 11
                    font.weight: Font.Bold
                    color: "white"
                }
            }
        }
    }
}
