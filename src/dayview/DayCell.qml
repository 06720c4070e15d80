import QtQuick
import QtQuick.Controls.Basic
import Timeglas

// One day of the week strip: the weekday label over the day's number. The whole cell is one
// button; the selected cell stands at full size and springs there, the others a little smaller.
AbstractButton {
    id: cell

    required property Theme theme
    required property string label
    required property int number
    required property bool isSelected
    required property bool isToday
    // The full Danish date, read out in place of the bare number.
    required property string accessibleName
    readonly property real restScale: cell.isSelected ? 1 : 0.95
    // Where the last change of selection set off from, and the seconds since it.
    property real springFrom: cell.restScale
    property real springTime: cell.springDuration
    readonly property real springDuration: 0.4
    property bool completed: false

    signal tap()

    // A spring with a response of 0.25 s and a damping fraction of 0.7: the share of the
    // distance still to go, `t` seconds after the spring was let go. By the end of the
    // animation less than a thousandth is left, and the cell comes to rest exactly.
    function springRemaining(t: real): real {
        if (t >= cell.springDuration)
            return 0
        const omega = 2 * Math.PI / 0.25
        const zeta = 0.7
        const omegaD = omega * Math.sqrt(1 - zeta * zeta)
        return Math.exp(-zeta * omega * t) * (Math.cos(omegaD * t) + zeta * omega / omegaD * Math.sin(omegaD * t))
    }

    implicitWidth: 36
    implicitHeight: 44
    padding: 0
    focusPolicy: Qt.TabFocus
    scale: cell.restScale + (cell.springFrom - cell.restScale) * cell.springRemaining(cell.springTime)
    // The button's own state is what assistive technology reads; one cell of the strip is
    // the selected day.
    checkable: true
    checked: cell.isSelected
    autoExclusive: true
    Accessible.role: Accessible.Button
    Accessible.name: cell.accessibleName
    Accessible.selectable: true
    Accessible.selected: cell.isSelected
    Accessible.onPressAction: cell.clicked()
    onClicked: cell.tap()
    Component.onCompleted: cell.completed = true
    onIsSelectedChanged: {
        // A cell made already selected stands at rest; only later changes spring.
        if (!cell.completed)
            return
        // Start from where the cell stands now, measured against the rest it was heading for.
        const previousRest = cell.isSelected ? 0.95 : 1
        cell.springFrom = previousRest + (cell.springFrom - previousRest) * cell.springRemaining(cell.springTime)
        cell.springTime = 0
        spring.restart()
    }

    NumberAnimation {
        id: spring

        target: cell
        property: "springTime"
        from: 0
        to: cell.springDuration
        duration: cell.springDuration * 1000
    }

    FocusRing {
        theme: cell.theme
        shown: cell.visualFocus
    }

    background: Item {}

    contentItem: Column {
        spacing: 3

        Text {
            anchors.horizontalCenter: parent.horizontalCenter
            text: cell.label
            textFormat: Text.PlainText
            font.pixelSize: 9
            font.weight: Font.Medium
            color: cell.isSelected ? cell.theme.accent : cell.theme.withOpacity(cell.theme.textBase, 0.3)
        }
        Rectangle {
            anchors.horizontalCenter: parent.horizontalCenter
            width: 26
            height: 26
            radius: 13
            color: cell.isSelected ? cell.theme.accent : "transparent"

            Text {
                anchors.centerIn: parent
                text: cell.number
                textFormat: Text.PlainText
                font.pixelSize: 11
                font.weight: cell.isToday ? Font.Bold : Font.Medium
                color: {
                    if (cell.isSelected)
                        return "white"
                    if (cell.isToday)
                        return cell.theme.accent
                    return cell.theme.withOpacity(cell.theme.textBase, cell.theme.isDark ? 0.5 : 0.45)
                }
            }
        }
    }
}
