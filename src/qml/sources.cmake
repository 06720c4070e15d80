# Shared QML pieces: the popover root, services, the icon table.
list(APPEND UI_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/QmlTypes.h
  ${CMAKE_CURRENT_LIST_DIR}/AppServices.h ${CMAKE_CURRENT_LIST_DIR}/AppServices.cpp
  ${CMAKE_CURRENT_LIST_DIR}/Icons.h ${CMAKE_CURRENT_LIST_DIR}/Icons.cpp
  ${CMAKE_CURRENT_LIST_DIR}/AccessibleItems.h ${CMAKE_CURRENT_LIST_DIR}/AccessibleItems.cpp
)
list(APPEND UI_QML
  ${CMAKE_CURRENT_LIST_DIR}/Popover.qml
  ${CMAKE_CURRENT_LIST_DIR}/Icon.qml
  ${CMAKE_CURRENT_LIST_DIR}/AwayBanner.qml
  ${CMAKE_CURRENT_LIST_DIR}/PlainToolTip.qml
  ${CMAKE_CURRENT_LIST_DIR}/FocusRing.qml
)
list(APPEND UI_SOURCES ${CMAKE_CURRENT_LIST_DIR}/PopoverWindow.h ${CMAKE_CURRENT_LIST_DIR}/PopoverWindow.cpp)
