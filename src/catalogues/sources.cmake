# Project codes and templates: view models and their QML views.
list(APPEND UI_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/CatalogueBannerModel.h ${CMAKE_CURRENT_LIST_DIR}/CatalogueBannerModel.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ProjectCodeListViewModel.h ${CMAKE_CURRENT_LIST_DIR}/ProjectCodeListViewModel.cpp
  ${CMAKE_CURRENT_LIST_DIR}/TemplateListViewModel.h ${CMAKE_CURRENT_LIST_DIR}/TemplateListViewModel.cpp
)
list(APPEND UI_QML
  ${CMAKE_CURRENT_LIST_DIR}/CatalogueHeader.qml
  ${CMAKE_CURRENT_LIST_DIR}/CatalogueBanner.qml
  ${CMAKE_CURRENT_LIST_DIR}/CatalogueBannerButton.qml
  ${CMAKE_CURRENT_LIST_DIR}/CatalogueRowButton.qml
  ${CMAKE_CURRENT_LIST_DIR}/CatalogueTextField.qml
  ${CMAKE_CURRENT_LIST_DIR}/ProjectCodeListView.qml
  ${CMAKE_CURRENT_LIST_DIR}/ProjectCodeRow.qml
  ${CMAKE_CURRENT_LIST_DIR}/TemplateListView.qml
  ${CMAKE_CURRENT_LIST_DIR}/TemplateButton.qml
)
