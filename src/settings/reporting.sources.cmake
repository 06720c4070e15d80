# Export and statistics tabs of the settings screen.
list(APPEND UI_SOURCES)
list(APPEND UI_QML)
