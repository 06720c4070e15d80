# Export and statistics tabs of the settings screen.
list(APPEND UI_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/ExportSettingsTabModel.h ${CMAKE_CURRENT_LIST_DIR}/ExportSettingsTabModel.cpp
  ${CMAKE_CURRENT_LIST_DIR}/StatsTabModel.h ${CMAKE_CURRENT_LIST_DIR}/StatsTabModel.cpp
  ${CMAKE_CURRENT_LIST_DIR}/DayBarChart.h ${CMAKE_CURRENT_LIST_DIR}/DayBarChart.cpp
)
list(APPEND UI_QML
  ${CMAKE_CURRENT_LIST_DIR}/ExportSettingsTab.qml
  ${CMAKE_CURRENT_LIST_DIR}/StatsTab.qml
)
