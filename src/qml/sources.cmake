# The UI base: what every screen uses — services, the icon table, accessibility, the icon,
# tooltip and focus ring.
list(APPEND UI_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/QmlTypes.h
  ${CMAKE_CURRENT_LIST_DIR}/AppServices.h ${CMAKE_CURRENT_LIST_DIR}/AppServices.cpp
  ${CMAKE_CURRENT_LIST_DIR}/Icons.h ${CMAKE_CURRENT_LIST_DIR}/Icons.cpp
  ${CMAKE_CURRENT_LIST_DIR}/AccessibleItems.h ${CMAKE_CURRENT_LIST_DIR}/AccessibleItems.cpp
)
list(APPEND UI_QML
  ${CMAKE_CURRENT_LIST_DIR}/Icon.qml
  ${CMAKE_CURRENT_LIST_DIR}/PlainToolTip.qml
  ${CMAKE_CURRENT_LIST_DIR}/FocusRing.qml
)
