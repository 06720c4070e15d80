import QtQuick
import QtQuick.Controls.Basic
import Timeglas

// A borderless field of the catalogue banners whose keyboard focus follows a flag of the
// view model both ways: the flag asks for focus, and the field reports gaining and losing it.
TextField {
    id: field

    required property Theme theme
    property bool focusRequested: false

    signal focusReported(bool focused)

    padding: 0
    leftPadding: 0
    rightPadding: 0
    font.pixelSize: 13
    color: field.theme.withOpacity(field.theme.textBase, 0.85)
    placeholderTextColor: field.theme.withOpacity(field.theme.textBase, 0.3)
    selectionColor: field.theme.withOpacity(field.theme.accent, 0.4)
    selectByMouse: true
    Accessible.name: field.placeholderText
    onFocusRequestedChanged: {
        if (field.focusRequested && !field.activeFocus)
            field.forceActiveFocus();
    }
    onActiveFocusChanged: field.focusReported(field.activeFocus)

    background: Item {}
}
