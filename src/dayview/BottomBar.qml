import QtQuick
import QtQuick.Controls.Basic
import QtQuick.Layouts
import Timeglas

// The bar at the foot of the day screen: add, quick-add (while templates exist), the switch
// between billable and actual hours, and the settings. A closed day disables the first two.
Rectangle {
    id: bar

    required property AppServices services
    readonly property Theme theme: bar.services.theme
    property bool isDayClosed: false
    readonly property BottomBarModel model: barModel
    readonly property color mutedInk: bar.theme.withOpacity(bar.theme.textBase, bar.theme.isDark ? 0.5 : 0.45)

    signal addEmpty()
    signal showTemplates()
    signal showSettings()

    // Self-contained: everything it draws with is handed in.
    component SquareButton: AbstractButton {
        id: square

        required property Theme theme
        property color ink: "gray"
        property string iconName: ""
        property real iconPoints: 14
        property int iconWeight: Font.Normal

        Layout.preferredWidth: 36
        Layout.preferredHeight: 36
        padding: 0
        focusPolicy: Qt.TabFocus
        hoverEnabled: true
        Accessible.role: Accessible.Button
        Accessible.name: square.text
        Accessible.onPressAction: if (square.enabled) square.clicked()

        FocusRing {
            theme: square.theme
            shown: square.visualFocus
            radius: 8
        }

        background: Rectangle {
            radius: 8
            color: square.enabled && square.hovered
                   ? square.theme.withOpacity(square.theme.textBase, square.down ? 0.1 : 0.05) : "transparent"
        }
        contentItem: Icon {
            name: square.iconName
            size: DayStyle.iconSize(square.iconPoints)
            font.weight: square.iconWeight
            color: square.enabled ? square.ink : square.theme.withOpacity(square.theme.textBase, 0.2)
        }
    }

    implicitHeight: 44
    color: bar.theme.faint

    BottomBarModel {
        id: barModel

        templates: bar.services.templates
        timerManager: bar.services.timerManager
        isDayClosed: bar.isDayClosed
    }

    Rectangle {
        width: bar.width
        height: 1
        color: bar.theme.hairline
    }

    RowLayout {
        anchors.fill: parent
        anchors.topMargin: 1
        anchors.leftMargin: 6
        anchors.rightMargin: 6
        spacing: 2

        SquareButton {
            objectName: "bottomAddButton"
            theme: bar.theme
            ink: bar.mutedInk
            text: qsTr("Tilføj opgave")
            iconName: "plus"
            iconPoints: 16
            iconWeight: Font.Medium
            enabled: barModel.canAdd
            onClicked: bar.addEmpty()
        }
        SquareButton {
            objectName: "bottomTemplatesButton"
            theme: bar.theme
            ink: bar.mutedInk
            text: qsTr("Vis skabeloner")
            iconName: "doc.text"
            visible: barModel.showsTemplatesButton
            enabled: barModel.canAdd
            onClicked: bar.showTemplates()
        }
        Item { Layout.fillWidth: true }

        AbstractButton {
            id: hoursSwitch

            readonly property color ink: barModel.showBillableTime ? bar.theme.accent : bar.mutedInk

            objectName: "hoursSwitch"
            text: barModel.hoursSwitchText
            leftPadding: 9
            rightPadding: 9
            topPadding: 5
            bottomPadding: 5
            focusPolicy: Qt.TabFocus
            Accessible.role: Accessible.Button
            Accessible.name: hoursSwitch.text
            Accessible.description: qsTr("Skift mellem fakturerbare og faktiske timer")
            Accessible.onPressAction: hoursSwitch.clicked()
            onClicked: barModel.toggleHours()

            FocusRing {
                theme: bar.theme
                shown: hoursSwitch.visualFocus
            }

            background: Rectangle {
                radius: 6
                color: barModel.showBillableTime ? bar.theme.withOpacity(bar.theme.accent, 0.12) : bar.theme.faint

                Behavior on color { ColorAnimation { duration: 150; easing.type: Easing.OutQuad } }
            }
            contentItem: Row {
                spacing: 4

                Icon {
                    anchors.verticalCenter: parent.verticalCenter
                    name: barModel.hoursSwitchIcon
                    size: DayStyle.iconSize(10)
                    color: hoursSwitch.ink

                    Behavior on color { ColorAnimation { duration: 150; easing.type: Easing.OutQuad } }
                }
                Text {
                    anchors.verticalCenter: parent.verticalCenter
                    text: hoursSwitch.text
                    textFormat: Text.PlainText
                    font.pixelSize: 11
                    font.weight: Font.DemiBold
                    color: hoursSwitch.ink

                    Behavior on color { ColorAnimation { duration: 150; easing.type: Easing.OutQuad } }
                }
            }
        }

        SquareButton {
            objectName: "bottomSettingsButton"
            theme: bar.theme
            ink: bar.mutedInk
            text: qsTr("Indstillinger")
            iconName: "gearshape"
            iconPoints: 12
            iconWeight: Font.Medium
            onClicked: bar.showSettings()
        }
    }
}
