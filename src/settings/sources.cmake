# The settings screen, its general tab and the pieces every settings tab shares.
list(APPEND UI_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/InlineSettingsViewModel.h ${CMAKE_CURRENT_LIST_DIR}/InlineSettingsViewModel.cpp
  ${CMAKE_CURRENT_LIST_DIR}/GeneralSettingsTabModel.h ${CMAKE_CURRENT_LIST_DIR}/GeneralSettingsTabModel.cpp
)
list(APPEND UI_QML
  ${CMAKE_CURRENT_LIST_DIR}/InlineSettingsView.qml
  ${CMAKE_CURRENT_LIST_DIR}/SettingsTabButton.qml
  ${CMAKE_CURRENT_LIST_DIR}/SettingsSection.qml
  ${CMAKE_CURRENT_LIST_DIR}/OptionRow.qml
  ${CMAKE_CURRENT_LIST_DIR}/SettingsSwitchRow.qml
  ${CMAKE_CURRENT_LIST_DIR}/GeneralSettingsTab.qml
)
