# Files of this screen area.
list(APPEND UI_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/DayTaskListModel.h ${CMAKE_CURRENT_LIST_DIR}/DayTaskListModel.cpp
  ${CMAKE_CURRENT_LIST_DIR}/MenuBarContentViewModel.h ${CMAKE_CURRENT_LIST_DIR}/MenuBarContentViewModel.cpp
  ${CMAKE_CURRENT_LIST_DIR}/TaskRowViewModel.h ${CMAKE_CURRENT_LIST_DIR}/TaskRowViewModel.cpp
)
set_source_files_properties(${CMAKE_CURRENT_LIST_DIR}/DayStyle.qml PROPERTIES QT_QML_SINGLETON_TYPE TRUE)
list(APPEND UI_QML
  ${CMAKE_CURRENT_LIST_DIR}/MenuBarContentView.qml
  ${CMAKE_CURRENT_LIST_DIR}/TaskRowView.qml
  ${CMAKE_CURRENT_LIST_DIR}/DayStyle.qml
  ${CMAKE_CURRENT_LIST_DIR}/DayButton.qml
  ${CMAKE_CURRENT_LIST_DIR}/DayBanner.qml
  ${CMAKE_CURRENT_LIST_DIR}/DayBannerState.qml
  ${CMAKE_CURRENT_LIST_DIR}/ReplaceIcon.qml
  ${CMAKE_CURRENT_LIST_DIR}/DayClockCard.qml
  ${CMAKE_CURRENT_LIST_DIR}/DayClockTitle.qml
  ${CMAKE_CURRENT_LIST_DIR}/DayColumnHeader.qml
  ${CMAKE_CURRENT_LIST_DIR}/DayEmptyState.qml
  ${CMAKE_CURRENT_LIST_DIR}/DayDeleteBanner.qml
  ${CMAKE_CURRENT_LIST_DIR}/DayAddBanner.qml
)
# The week strip, the bottom bar, closing the day, the code editor and the quick-add picker.
list(APPEND UI_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/DayStripViewModel.h ${CMAKE_CURRENT_LIST_DIR}/DayStripViewModel.cpp
  ${CMAKE_CURRENT_LIST_DIR}/BottomBarModel.h ${CMAKE_CURRENT_LIST_DIR}/BottomBarModel.cpp
  ${CMAKE_CURRENT_LIST_DIR}/DayClosingModel.h ${CMAKE_CURRENT_LIST_DIR}/DayClosingModel.cpp
  ${CMAKE_CURRENT_LIST_DIR}/CodeEditorModel.h ${CMAKE_CURRENT_LIST_DIR}/CodeEditorModel.cpp
  ${CMAKE_CURRENT_LIST_DIR}/QuickAddPickerModel.h ${CMAKE_CURRENT_LIST_DIR}/QuickAddPickerModel.cpp
)
list(APPEND UI_QML
  ${CMAKE_CURRENT_LIST_DIR}/DayStripView.qml
  ${CMAKE_CURRENT_LIST_DIR}/DayCell.qml
  ${CMAKE_CURRENT_LIST_DIR}/BottomBar.qml
  ${CMAKE_CURRENT_LIST_DIR}/DayFooter.qml
  ${CMAKE_CURRENT_LIST_DIR}/CloseDayBanner.qml
  ${CMAKE_CURRENT_LIST_DIR}/CodeEditorBanner.qml
  ${CMAKE_CURRENT_LIST_DIR}/QuickAddPicker.qml
)
