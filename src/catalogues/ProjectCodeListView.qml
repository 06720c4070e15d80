pragma ComponentBehavior: Bound
import QtQuick
import QtQuick.Layouts
import Timeglas

// The project-code catalogue of the settings screen, with the banner that adds and edits codes.
Item {
    id: view

    required property AppServices services
    readonly property Theme theme: view.services.theme

    // A press on the view's free space, which ends text editing as one on the screen's does.
    signal emptyPressed()

    function ink(opacity: real): color {
        return view.theme.withOpacity(view.theme.textBase, opacity);
    }

    ProjectCodeListViewModel {
        id: codes

        services: view.services
    }

    ColumnLayout {
        anchors.fill: parent
        spacing: 0

        CatalogueHeader {
            theme: view.theme
            title: qsTr("Projektkoder")
            addName: qsTr("Ny projektkode")
            onAdd: codes.beginNewProjectCode()
        }

        Item {
            Layout.fillWidth: true
            Layout.fillHeight: true

            Text {
                anchors.left: parent.left
                anchors.right: parent.right
                anchors.leftMargin: 14
                anchors.rightMargin: 14
                visible: codes.showEmptyText
                text: qsTr("Ingen projektkoder")
                textFormat: Text.PlainText
                font.pixelSize: 12
                color: view.ink(0.3)
                wrapMode: Text.WordWrap
                Accessible.role: Accessible.StaticText
                Accessible.name: qsTr("Ingen projektkoder")
            }

            ListView {
                anchors.fill: parent
                anchors.leftMargin: 6
                anchors.rightMargin: 6
                visible: !codes.showEmptyText
                clip: true
                spacing: 2
                boundsBehavior: Flickable.StopAtBounds
                model: view.services.projectCodes
                Accessible.role: Accessible.List
                Accessible.name: qsTr("Projektkoder")

                // The list takes presses for scrolling; one on its free part still ends text editing.
                TapHandler {
                    acceptedButtons: Qt.AllButtons
                    onPressedChanged: {
                        if (pressed)
                            view.emptyPressed()
                    }
                }

                delegate: ProjectCodeRow {
                    required property ProjectCode record

                    width: ListView.view.width
                    theme: view.theme
                    projectCode: record
                    onEdit: codes.beginEditProjectCode(record)
                    onRemove: codes.deleteProjectCode(record)
                }
            }
        }

        CatalogueBanner {
            theme: view.theme
            shown: codes.showBanner

            RowLayout {
                Layout.fillWidth: true
                spacing: 8

                Icon {
                    name: "tag.fill"
                    size: 14
                    color: view.theme.blue
                }

                CatalogueTextField {
                    id: codeField

                    Layout.preferredWidth: 60
                    theme: view.theme
                    placeholderText: qsTr("Kode")
                    text: codes.bannerCode
                    font.weight: Font.DemiBold
                    focusRequested: codes.isCodeFocused
                    onTextEdited: codes.bannerCode = codeField.text
                    onAccepted: codes.submitCodeField()
                    onFocusReported: (focused) => codes.isCodeFocused = focused
                }

                CatalogueTextField {
                    id: nameField

                    Layout.fillWidth: true
                    theme: view.theme
                    placeholderText: qsTr("Navn (valgfrit)")
                    text: codes.bannerName
                    focusRequested: codes.isNameFocused
                    onTextEdited: codes.bannerName = nameField.text
                    onAccepted: codes.saveProjectCode()
                    onFocusReported: (focused) => codes.isNameFocused = focused
                }

                CatalogueBannerButton {
                    theme: view.theme
                    text: qsTr("Annuller")
                    onClicked: codes.closeCodeBanner()
                }

                CatalogueBannerButton {
                    theme: view.theme
                    text: codes.saveLabel
                    filled: true
                    fill: view.theme.blue
                    onClicked: codes.saveProjectCode()
                }
            }
        }
    }
}
