pragma ComponentBehavior: Bound
import QtQuick
import QtQuick.Controls.Basic
import QtQuick.Layouts
import Timeglas

// One task of the shown day: start/stop, name, project code, time and hours, with inline
// editors for the name and the time and a context menu. List-wide actions go out as signals.
Item {
    id: row

    required property Task task
    required property TimerManager timerManager
    required property Theme theme
    property bool isDayClosed: false
    // Whether the day screen offers moving this task up or down.
    required property bool canMoveUp
    required property bool canMoveDown
    // Driven by the list's enter and exit transitions, which must not touch the bound opacity.
    property real enterOffset: 0
    property real exitOffset: 0
    property real fade: 1
    // What the chosen menu entry does, run once the menu has closed.
    property var pendingMenuAction: null
    // Where the keyboard focus goes back to when the menu closes: the row's control that held
    // it when the menu opened, or else the row itself.
    property Item focusAfterMenu: null
    readonly property bool isActive: rowVm.isActive
    readonly property bool isHovered: hover.hovered
    readonly property bool dark: row.theme.isDark
    readonly property color separatorInk: row.theme.withOpacity(row.theme.textBase, row.dark ? 0.12 : 0.1)
    readonly property bool windowShown: row.Window.visibility !== Window.Hidden

    signal toggle()
    signal select()
    signal editCode()
    signal moveUp()
    signal moveDown()
    signal deleteRequested()
    // Assistive technology's "show menu" action on the row.
    signal showMenuAction()

    // A closed day's row has no menu. The open menu holds the keyboard.
    function openMenu(x: real, y: real) {
        if (!rowVm.hasMenu)
            return
        const focused = row.Window.activeFocusItem
        row.focusAfterMenu = row.holds(focused) ? focused : row
        menu.popup(row, x, y)
    }

    function holds(item: Item): bool {
        for (let i = item; i; i = i.parent) {
            if (i === row)
                return true
        }
        return false
    }

    // Every click on the name selects the task; on an open day it also opens the editor.
    function activateName() {
        row.select()
        rowVm.startEditingName()
    }

    // Menu actions run once the menu has closed and handed the keyboard focus back, so that
    // an editor opened from the menu keeps its focus.
    function afterMenu(action) {
        row.pendingMenuAction = action
    }

    implicitHeight: 42
    opacity: (row.isDayClosed ? 0.5 : 1.0) * row.fade
    transform: Translate { x: row.exitOffset; y: row.enterOffset }
    Accessible.role: Accessible.ListItem
    Accessible.name: rowVm.displayName
    Accessible.description: qsTr("%1, %2 timer").arg(rowVm.timeText).arg(rowVm.hoursText)
    onShowMenuAction: row.openMenu(50, row.height / 2)
    // A popover that hides takes its open menu with it, so the next opening shows none.
    onWindowShownChanged: {
        if (!row.windowShown)
            menu.close()
    }
    // The menu key and Shift+F10 open the menu of the row that holds the keyboard focus.
    Keys.onPressed: (event) => {
        if (event.key === Qt.Key_Menu || (event.key === Qt.Key_F10 && (event.modifiers & Qt.ShiftModifier))) {
            row.openMenu(50, row.height / 2)
            event.accepted = true
        }
    }

    TaskRowViewModel {
        id: rowVm

        task: row.task
        timerManager: row.timerManager
        isDayClosed: row.isDayClosed
        canMoveUp: row.canMoveUp
        canMoveDown: row.canMoveDown
    }

    Connections {
        target: rowVm

        function onIsNameFieldFocusedChanged() {
            if (rowVm.isNameFieldFocused && !nameField.activeFocus)
                nameField.forceActiveFocus()
        }
        function onIsTimeFieldFocusedChanged() {
            if (rowVm.isTimeFieldFocused && !timeField.activeFocus)
                timeField.forceActiveFocus()
        }
    }

    Rectangle {
        anchors.fill: parent
        color: {
            if (row.isActive)
                return row.theme.withOpacity(row.theme.accent, 0.08)
            if (row.isHovered)
                return row.theme.withOpacity(row.theme.textBase, row.dark ? 0.03 : 0.04)
            return row.theme.withOpacity(row.theme.textBase, 0)
        }

        Behavior on color { ColorAnimation { duration: row.isActive ? 200 : 120; easing.type: Easing.InOutQuad } }
    }

    HoverHandler { id: hover }

    // Secondary click anywhere on the row; primary clicks pass to what lies under it.
    MouseArea {
        objectName: "rowMenuArea"
        anchors.fill: parent
        acceptedButtons: Qt.RightButton
        onClicked: (mouse) => row.openMenu(mouse.x, mouse.y)
    }

    RowLayout {
        anchors.fill: parent
        anchors.leftMargin: 12
        anchors.rightMargin: 12
        anchors.topMargin: 6
        anchors.bottomMargin: 6
        spacing: 0

        Button {
            id: toggleButton

            objectName: "rowToggleButton"
            Layout.preferredWidth: 30
            Layout.preferredHeight: 30
            Layout.rightMargin: 8
            enabled: !row.isDayClosed
            focusPolicy: Qt.TabFocus
            padding: 0
            Accessible.name: row.isDayClosed ? qsTr("Dag lukket") : (row.isActive ? qsTr("Stop") : qsTr("Start"))
            Accessible.onPressAction: if (toggleButton.enabled) toggleButton.clicked()
            onClicked: row.toggle()

            FocusRing {
                theme: row.theme
                shown: toggleButton.visualFocus
                radius: 17
            }

            background: Rectangle {
                radius: 15
                color: {
                    if (row.isDayClosed)
                        return row.theme.withOpacity(row.theme.textBase, 0.2)
                    if (row.isActive)
                        return row.theme.accent
                    return row.theme.withOpacity(row.theme.accent, toggleButton.hovered ? 0.22 : 0.15)
                }

                Behavior on color { ColorAnimation { duration: 200; easing.type: Easing.InOutQuad } }
            }
            contentItem: ReplaceIcon {
                name: row.isDayClosed ? "lock.fill" : (row.isActive ? "pause.fill" : "play.fill")
                size: DayStyle.iconSize(10)
                font.bold: true
                color: row.isDayClosed ? row.theme.withOpacity(row.theme.textBase, 0.3) : (row.isActive ? "white" : row.theme.accent)
            }
        }

        Item {
            id: nameColumn

            Layout.fillWidth: true
            Layout.fillHeight: true

            Text {
                objectName: "rowName"
                anchors.fill: parent
                visible: !rowVm.isEditingName
                verticalAlignment: Text.AlignVCenter
                text: rowVm.displayName
                elide: Text.ElideRight
                maximumLineCount: 1
                textFormat: Text.PlainText
                font.pixelSize: 13
                font.weight: row.isActive ? Font.DemiBold : Font.Normal
                color: row.theme.withOpacity(row.theme.textBase, rowVm.isUnnamed ? 0.2 : 0.85)
            }
            // The whole column, blank space included, takes the click.
            MouseArea {
                id: nameArea

                objectName: "rowNameArea"
                anchors.fill: parent
                visible: !rowVm.isEditingName
                activeFocusOnTab: true
                Accessible.role: Accessible.Button
                Accessible.name: qsTr("Rediger navn")
                Accessible.description: rowVm.displayName
                Accessible.onPressAction: row.activateName()
                Keys.onReturnPressed: row.activateName()
                Keys.onSpacePressed: row.activateName()
                onClicked: row.activateName()

                FocusRing {
                    theme: row.theme
                    shown: nameArea.activeFocus
                }
            }
            TextField {
                id: nameField

                objectName: "rowNameField"
                anchors.left: parent.left
                anchors.right: parent.right
                anchors.verticalCenter: parent.verticalCenter
                visible: rowVm.isEditingName
                text: rowVm.editedName
                placeholderText: qsTr("Opgavenavn")
                placeholderTextColor: row.theme.withOpacity(row.theme.textBase, 0.3)
                color: row.theme.withOpacity(row.theme.textBase, 0.85)
                selectionColor: row.theme.withOpacity(row.theme.accent, 0.35)
                selectedTextColor: row.theme.withOpacity(row.theme.textBase, 0.85)
                font.pixelSize: 13
                font.weight: Font.Medium
                padding: 0
                leftPadding: 0
                rightPadding: 0
                background: null
                selectByMouse: true
                Accessible.name: qsTr("Opgavenavn")
                onTextEdited: rowVm.editedName = nameField.text
                onAccepted: rowVm.commitName()
                onActiveFocusChanged: rowVm.isNameFieldFocused = nameField.activeFocus
            }
        }

        Button {
            id: codeButton

            objectName: "rowCodeButton"
            Layout.preferredWidth: 64
            Layout.fillHeight: true
            enabled: !row.isDayClosed
            focusPolicy: Qt.TabFocus
            padding: 0
            Accessible.name: qsTr("Rediger projektkode")
            Accessible.description: rowVm.codeText
            Accessible.onPressAction: if (codeButton.enabled) codeButton.clicked()
            onClicked: row.editCode()

            FocusRing {
                theme: row.theme
                shown: codeButton.visualFocus
            }

            background: null
            contentItem: Item {
                Text {
                    anchors.centerIn: parent
                    visible: rowVm.codeText !== ""
                    width: Math.min(implicitWidth, codeButton.width)
                    leftPadding: 6
                    rightPadding: 6
                    topPadding: 2
                    bottomPadding: 2
                    text: rowVm.codeText
                    textFormat: Text.PlainText
                    elide: Text.ElideRight
                    font.pixelSize: 10
                    font.weight: Font.DemiBold
                    color: row.theme.accent

                    Rectangle {
                        anchors.fill: parent
                        z: -1
                        radius: 3
                        color: row.theme.withOpacity(row.theme.accent, 0.12)
                    }
                }
                Icon {
                    anchors.centerIn: parent
                    visible: rowVm.codeText === ""
                    name: "tag"
                    size: DayStyle.iconSize(11)
                    color: row.theme.withOpacity(row.theme.textBase, codeButton.hovered && codeButton.enabled ? 0.4 : 0.2)
                }
            }
        }

        Item {
            id: timeColumn

            Layout.preferredWidth: 68
            Layout.fillHeight: true

            Text {
                objectName: "rowTime"
                anchors.fill: parent
                visible: !rowVm.isEditingTime
                horizontalAlignment: Text.AlignRight
                verticalAlignment: Text.AlignVCenter
                text: rowVm.timeText
                textFormat: Text.PlainText
                font.pixelSize: 12
                font.weight: row.isActive ? Font.Bold : Font.Normal
                color: row.isActive ? row.theme.withOpacity(row.theme.textBase, 0.85) : row.theme.withOpacity(row.theme.textBase, row.dark ? 0.5 : 0.45)
            }
            MouseArea {
                id: timeArea

                objectName: "rowTimeArea"
                anchors.fill: parent
                visible: !rowVm.isEditingTime
                // A closed day's time is frozen.
                enabled: !row.isDayClosed
                activeFocusOnTab: timeArea.enabled
                Accessible.role: Accessible.Button
                Accessible.name: qsTr("Rediger tid")
                Accessible.description: rowVm.timeText
                Accessible.onPressAction: rowVm.startEditingTime()
                Keys.onReturnPressed: rowVm.startEditingTime()
                Keys.onSpacePressed: rowVm.startEditingTime()
                onClicked: rowVm.startEditingTime()

                FocusRing {
                    theme: row.theme
                    shown: timeArea.activeFocus
                }
            }
            TextField {
                id: timeField

                objectName: "rowTimeField"
                anchors.left: parent.left
                anchors.right: parent.right
                anchors.verticalCenter: parent.verticalCenter
                visible: rowVm.isEditingTime
                text: rowVm.editedTime
                placeholderText: "00:00:00"
                placeholderTextColor: row.theme.withOpacity(row.theme.textBase, 0.3)
                horizontalAlignment: TextInput.AlignRight
                color: row.theme.withOpacity(row.theme.textBase, 0.85)
                selectionColor: row.theme.withOpacity(row.theme.accent, 0.35)
                selectedTextColor: row.theme.withOpacity(row.theme.textBase, 0.85)
                font.pixelSize: 12
                font.weight: Font.Medium
                padding: 0
                leftPadding: 0
                rightPadding: 0
                background: null
                selectByMouse: true
                Accessible.name: qsTr("Tid")
                onTextEdited: rowVm.editedTime = timeField.text
                onAccepted: rowVm.commitTime()
                onActiveFocusChanged: rowVm.isTimeFieldFocused = timeField.activeFocus
            }
        }

        Text {
            objectName: "rowHours"
            Layout.preferredWidth: 44
            horizontalAlignment: Text.AlignRight
            text: rowVm.hoursText
            textFormat: Text.PlainText
            font.pixelSize: 11
            font.weight: Font.Medium
            color: row.theme.withOpacity(row.theme.textBase, 0.3)
            Accessible.role: Accessible.StaticText
            Accessible.name: qsTr("%1 timer").arg(rowVm.hoursText)
        }
    }

    Rectangle {
        x: 50
        y: row.height - 1
        width: row.width - 50
        height: 1
        color: row.theme.withOpacity(row.theme.textBase, row.dark ? 0.06 : 0.08)
        opacity: 0.6
    }

    // The row's menu: each entry an action the row model permits; one it does not permit is
    // left out. Its choice runs once the menu has closed.
    Menu {
        id: menu

        objectName: "rowMenu"
        padding: 4
        onClosed: {
            if (row.focusAfterMenu)
                row.focusAfterMenu.forceActiveFocus(Qt.PopupFocusReason)
            row.focusAfterMenu = null
            const action = row.pendingMenuAction
            row.pendingMenuAction = null
            if (action)
                action()
        }

        background: Rectangle {
            implicitWidth: 190
            radius: 6
            color: row.dark ? Qt.rgba(0.17, 0.18, 0.21, 1) : "white"
            border.color: row.theme.withOpacity(row.theme.textBase, row.dark ? 0.12 : 0.12)
        }

        delegate: MenuItem {
            id: menuItem

            readonly property bool destructive: menuItem.action === deleteAction

            // An entry that is not offered takes no room and no keyboard stop.
            visible: menuItem.enabled
            height: menuItem.visible ? implicitHeight : 0
            implicitHeight: 26
            leftPadding: 10
            rightPadding: 10
            Accessible.name: menuItem.text

            contentItem: Text {
                text: menuItem.text
                textFormat: Text.PlainText
                verticalAlignment: Text.AlignVCenter
                font.pixelSize: 13
                color: {
                    if (menuItem.highlighted)
                        return "white"
                    return menuItem.destructive ? row.theme.red : row.theme.withOpacity(row.theme.textBase, 0.85)
                }
            }
            background: Rectangle {
                radius: 4
                color: menuItem.highlighted ? (menuItem.destructive ? row.theme.red : row.theme.accent) : "transparent"
            }
        }

        Action {
            text: qsTr("Start")
            enabled: !rowVm.isActive
            onTriggered: row.afterMenu(row.toggle)
        }
        Action {
            text: qsTr("Stop")
            enabled: rowVm.isActive
            onTriggered: row.afterMenu(row.toggle)
        }
        RowSeparator { ink: row.separatorInk }
        Action {
            text: qsTr("Rediger navn")
            onTriggered: row.afterMenu(rowVm.startEditingName)
        }
        Action {
            text: qsTr("Rediger projektkode")
            onTriggered: row.afterMenu(row.editCode)
        }
        Action {
            text: qsTr("Rediger tid")
            onTriggered: row.afterMenu(rowVm.startEditingTime)
        }
        RowSeparator { ink: row.separatorInk }
        Action {
            text: qsTr("Flyt op")
            enabled: rowVm.offersMoveUp
            onTriggered: row.afterMenu(row.moveUp)
        }
        Action {
            text: qsTr("Flyt ned")
            enabled: rowVm.offersMoveDown
            onTriggered: row.afterMenu(row.moveDown)
        }
        RowSeparator {
            ink: row.separatorInk
            visible: rowVm.offersMoveUp || rowVm.offersMoveDown
        }
        Action {
            id: deleteAction

            text: qsTr("Slet")
            onTriggered: row.afterMenu(row.deleteRequested)
        }
    }

    component RowSeparator: MenuSeparator {
        id: separator

        required property color ink

        height: separator.visible ? implicitHeight : 0
        topPadding: 4
        bottomPadding: 4
        contentItem: Rectangle {
            implicitHeight: 1
            color: separator.ink
        }
    }
}
