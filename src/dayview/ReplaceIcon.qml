import QtQuick
import Timeglas

// An icon that shows a change of symbol with a short scale and fade, so a new state is noticed.
Icon {
    id: icon

    onNameChanged: swap.restart()

    ParallelAnimation {
        id: swap

        NumberAnimation { target: icon; property: "scale"; from: 0.4; to: 1; duration: 180; easing.type: Easing.OutBack }
        NumberAnimation { target: icon; property: "opacity"; from: 0; to: 1; duration: 150; easing.type: Easing.InOutQuad }
    }
}
