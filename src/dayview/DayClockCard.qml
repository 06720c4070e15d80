import QtQuick
import QtQuick.Controls.Basic
import QtQuick.Layouts
import Timeglas

// The clock card at the top of the day screen: the start/stop button and the running or
// selected task's time, code and name on a gradient that turns red while a task runs.
Item {
    id: card

    required property MenuBarContentViewModel viewModel
    required property Theme theme
    readonly property bool running: card.viewModel.runningTask !== null
    readonly property bool dark: card.theme.isDark
    readonly property var stops: {
        if (card.running) {
            return card.dark
                ? [Qt.rgba(0.75, 0.18, 0.28, 0.5), Qt.rgba(0.45, 0.1, 0.18, 0.7), Qt.rgba(0.2, 0.08, 0.12, 1)]
                : [Qt.rgba(0.88, 0.3, 0.4, 0.7), Qt.rgba(0.78, 0.22, 0.32, 0.85), Qt.rgba(0.68, 0.18, 0.28, 0.9)]
        }
        return card.dark
            ? [Qt.rgba(0.22, 0.23, 0.25, 0.5), Qt.rgba(0.16, 0.17, 0.19, 0.7), Qt.rgba(0.12, 0.13, 0.15, 1)]
            : [Qt.rgba(0.92, 0.92, 0.94, 1), Qt.rgba(0.88, 0.88, 0.9, 1), Qt.rgba(0.85, 0.85, 0.87, 1)]
    }
    property color stop0: card.stops[0]
    property color stop1: card.stops[1]
    property color stop2: card.stops[2]
    // Light writing on the red card, the text colour on the grey one.
    readonly property color ink: card.running ? Qt.rgba(1, 1, 1, 0.95) : card.theme.withOpacity(card.theme.textBase, 0.85)
    readonly property color subInk: card.running ? Qt.rgba(1, 1, 1, 0.8) : card.theme.withOpacity(card.theme.textBase, 0.5)

    // Puts the keyboard focus on the start/stop button; false while it takes none (closed day).
    function focusHeroButton(): bool {
        if (!heroButton.enabled)
            return false
        heroButton.forceActiveFocus(Qt.OtherFocusReason)
        return true
    }

    implicitHeight: 110
    onStop0Changed: gradient.requestPaint()
    onStop1Changed: gradient.requestPaint()
    onStop2Changed: gradient.requestPaint()

    Behavior on stop0 { ColorAnimation { duration: 350; easing.type: Easing.InOutQuad } }
    Behavior on stop1 { ColorAnimation { duration: 350; easing.type: Easing.InOutQuad } }
    Behavior on stop2 { ColorAnimation { duration: 350; easing.type: Easing.InOutQuad } }

    // From the top-leading to the bottom-trailing corner: painted in the unit square and
    // stretched, so the colour bands run parallel to the other diagonal.
    Canvas {
        id: gradient

        function css(c: color): string {
            return "rgba(" + Math.round(c.r * 255) + "," + Math.round(c.g * 255) + ","
                    + Math.round(c.b * 255) + "," + c.a + ")"
        }

        anchors.fill: parent
        onWidthChanged: gradient.requestPaint()
        onHeightChanged: gradient.requestPaint()
        onPaint: {
            const ctx = gradient.getContext("2d")
            ctx.reset()
            ctx.scale(gradient.width, gradient.height)
            const g = ctx.createLinearGradient(0, 0, 1, 1)
            g.addColorStop(0, gradient.css(card.stop0))
            g.addColorStop(0.5, gradient.css(card.stop1))
            g.addColorStop(1, gradient.css(card.stop2))
            ctx.fillStyle = g
            ctx.fillRect(0, 0, 1, 1)
        }
    }

    RowLayout {
        anchors.fill: parent
        anchors.leftMargin: 20
        anchors.rightMargin: 20
        spacing: 16

        Button {
            id: heroButton

            objectName: "heroButton"
            Layout.preferredWidth: 64
            Layout.preferredHeight: 64
            enabled: !card.viewModel.isDayClosed
            focusPolicy: Qt.TabFocus
            padding: 0
            Accessible.name: card.viewModel.isDayClosed ? qsTr("Dag lukket") : (card.running ? qsTr("Stop") : qsTr("Start"))
            Accessible.onPressAction: if (heroButton.enabled) heroButton.clicked()
            onClicked: card.viewModel.heroToggle()

            FocusRing {
                theme: card.theme
                shown: heroButton.visualFocus
                radius: 34
            }

            background: Rectangle {
                radius: 32
                color: {
                    if (card.running && !card.viewModel.isDayClosed)
                        return DayStyle.heroRunning
                    return card.theme.withOpacity(card.theme.textBase, card.dark ? 0.12 : 0.08)
                }

                Behavior on color { ColorAnimation { duration: 350; easing.type: Easing.InOutQuad } }
            }
            contentItem: ReplaceIcon {
                name: card.viewModel.isDayClosed ? "lock.fill" : (card.running ? "pause.fill" : "play.fill")
                size: DayStyle.iconSize(24)
                color: {
                    if (card.viewModel.isDayClosed)
                        return card.theme.withOpacity(card.theme.textBase, 0.3)
                    return card.running ? "white" : card.theme.accent
                }
            }
        }

        ColumnLayout {
            Layout.fillWidth: true
            Layout.alignment: Qt.AlignVCenter
            spacing: 0

            Text {
                objectName: "heroTime"
                text: card.viewModel.shownTime
                textFormat: Text.PlainText
                font.pixelSize: 42
                font.weight: Font.Thin
                color: card.ink
                Accessible.role: Accessible.StaticText
                Accessible.name: card.viewModel.shownTime
            }

            // The task's line; on a change the old one leaves upwards as the new one rises.
            Item {
                id: titleBox

                Layout.fillWidth: true
                Layout.preferredHeight: titleLine.implicitHeight

                DayClockTitle {
                    id: leavingLine

                    width: titleBox.width
                    opacity: 0
                    running: card.running
                    theme: card.theme
                }
                DayClockTitle {
                    id: titleLine

                    objectName: "heroTitle"
                    width: titleBox.width
                    code: card.viewModel.shownCode
                    title: card.viewModel.shownTitle
                    running: card.running
                    theme: card.theme
                }

                Connections {
                    target: card.viewModel

                    // Emitted before the new texts arrive, so the line still shows the old task.
                    function onShownTaskChanged() {
                        leavingLine.code = titleLine.code
                        leavingLine.title = titleLine.title
                        titleSwap.restart()
                    }
                }

                ParallelAnimation {
                    id: titleSwap

                    NumberAnimation { target: leavingLine; property: "y"; from: 0; to: -12; duration: 350; easing.type: Easing.InOutQuad }
                    NumberAnimation { target: leavingLine; property: "opacity"; from: 1; to: 0; duration: 350; easing.type: Easing.InOutQuad }
                    NumberAnimation { target: titleLine; property: "y"; from: 12; to: 0; duration: 350; easing.type: Easing.InOutQuad }
                    NumberAnimation { target: titleLine; property: "opacity"; from: 0; to: 1; duration: 350; easing.type: Easing.InOutQuad }
                }
            }
        }
    }
}
