pragma Singleton
import QtQuick

// What the day screens add to Theme: the clock card's own red, and icon sizes for stated
// point sizes.
QtObject {
    // The clock card's button while a task runs on an open day.
    readonly property color heroRunning: Qt.rgba(0.9, 0.25, 0.35, 1)

    // The icon font draws its glyphs with a margin inside the em square; this brings an icon
    // to the size of a text symbol of the same point size.
    function iconSize(points: real): real {
        return Math.round(points * 1.2)
    }
}
