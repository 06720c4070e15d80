pragma ComponentBehavior: Bound
import QtQuick
import QtQuick.Controls.Basic
import QtQuick.Layouts
import Timeglas

// The template catalogue of the settings screen, with the banner that adds and edits templates.
// A row's plus button reports the template's name through addTask(); whoever shows the list
// decides what that does.
Item {
    id: view

    required property AppServices services
    readonly property Theme theme: view.services.theme

    signal addTask(string name)
    // A press on the view's free space, which ends text editing as one on the screen's does.
    signal emptyPressed()

    function ink(opacity: real): color {
        return view.theme.withOpacity(view.theme.textBase, opacity);
    }

    TemplateListViewModel {
        id: templates

        services: view.services
    }

    ColumnLayout {
        anchors.fill: parent
        spacing: 0

        CatalogueHeader {
            theme: view.theme
            title: qsTr("Skabeloner")
            addName: qsTr("Ny skabelon")
            onAdd: templates.beginNewTemplate()
        }

        Item {
            Layout.fillWidth: true
            Layout.fillHeight: true

            Text {
                anchors.left: parent.left
                anchors.right: parent.right
                anchors.leftMargin: 14
                anchors.rightMargin: 14
                visible: templates.showEmptyText
                text: qsTr("Ingen skabeloner")
                textFormat: Text.PlainText
                font.pixelSize: 12
                color: view.ink(0.3)
                wrapMode: Text.WordWrap
                Accessible.role: Accessible.StaticText
                Accessible.name: qsTr("Ingen skabeloner")
            }

            ListView {
                anchors.fill: parent
                anchors.leftMargin: 6
                anchors.rightMargin: 6
                visible: !templates.showEmptyText
                clip: true
                spacing: 2
                boundsBehavior: Flickable.StopAtBounds
                model: view.services.templates
                Accessible.role: Accessible.List
                Accessible.name: qsTr("Skabeloner")

                // The list takes presses for scrolling; one on its free part still ends text editing.
                TapHandler {
                    acceptedButtons: Qt.AllButtons
                    onPressedChanged: {
                        if (pressed)
                            view.emptyPressed()
                    }
                }

                delegate: TemplateButton {
                    required property TaskTemplate record

                    width: ListView.view.width
                    theme: view.theme
                    template: record
                    onTap: view.addTask(record.name)
                    onEdit: templates.beginEditTemplate(record)
                    onRemove: templates.deleteTemplate(record)
                }
            }
        }

        CatalogueBanner {
            theme: view.theme
            shown: templates.showBanner

            ListView {
                id: chips

                Layout.fillWidth: true
                implicitHeight: 20
                visible: view.services.projectCodes.count > 0
                orientation: ListView.Horizontal
                spacing: 4
                clip: true
                boundsBehavior: Flickable.StopAtBounds
                model: view.services.projectCodes
                Accessible.role: Accessible.List
                Accessible.name: qsTr("Projektkoder")

                TapHandler {
                    acceptedButtons: Qt.AllButtons
                    onPressedChanged: {
                        if (pressed)
                            view.emptyPressed()
                    }
                }

                delegate: AbstractButton {
                    id: chip

                    required property ProjectCode record
                    readonly property string code: chip.record?.code ?? ""
                    readonly property string displayName: chip.record?.displayName ?? ""
                    readonly property bool isChosen: chip.code === templates.selectedCode

                    anchors.verticalCenter: parent ? parent.verticalCenter : undefined
                    leftPadding: 7
                    rightPadding: 7
                    topPadding: 3
                    bottomPadding: 3
                    // The button's own state is what assistive technology reads; a click on
                    // the chosen chip unchooses it, as a toggle does.
                    checkable: true
                    checked: chip.isChosen
                    Accessible.role: Accessible.Button
                    Accessible.name: chip.displayName
                    Accessible.onPressAction: chip.clicked()
                    onClicked: templates.toggleTemplateCode(chip.code)

                    background: Rectangle {
                        radius: 4
                        color: chip.isChosen ? view.theme.accent : view.theme.withOpacity(view.theme.accent, 0.12)
                    }

                    contentItem: Text {
                        text: chip.displayName
                        textFormat: Text.PlainText
                        font.pixelSize: 10
                        font.weight: Font.DemiBold
                        color: chip.isChosen ? "white" : view.theme.accent
                    }
                }
            }

            RowLayout {
                Layout.fillWidth: true
                spacing: 8

                Icon {
                    name: "doc.text.fill"
                    size: 14
                    color: view.theme.accent
                }

                CatalogueTextField {
                    id: nameField

                    Layout.fillWidth: true
                    theme: view.theme
                    placeholderText: qsTr("Skabelonnavn")
                    text: templates.bannerName
                    font.weight: Font.Medium
                    focusRequested: templates.isNameFocused
                    onTextEdited: templates.bannerName = nameField.text
                    onAccepted: templates.saveTemplate()
                    onFocusReported: (focused) => templates.isNameFocused = focused
                }

                CatalogueBannerButton {
                    theme: view.theme
                    text: qsTr("Annuller")
                    onClicked: templates.closeTemplateBanner()
                }

                CatalogueBannerButton {
                    theme: view.theme
                    text: templates.saveLabel
                    filled: true
                    fill: view.theme.accent
                    onClicked: templates.saveTemplate()
                }
            }
        }
    }
}
