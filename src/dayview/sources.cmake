# Files of this screen area.
list(APPEND UI_SOURCES)
list(APPEND UI_QML)
