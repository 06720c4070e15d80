# The popover's root: its window, and the content that puts the day screen under the save
# warning and the question about time away.
list(APPEND UI_SOURCES ${CMAKE_CURRENT_LIST_DIR}/PopoverWindow.h ${CMAKE_CURRENT_LIST_DIR}/PopoverWindow.cpp)
list(APPEND UI_QML
  ${CMAKE_CURRENT_LIST_DIR}/Popover.qml
  ${CMAKE_CURRENT_LIST_DIR}/AwayBanner.qml
)
