pragma ComponentBehavior: Bound
import QtQuick
import QtQuick.Controls.Basic
import QtQuick.Layouts
import Timeglas

// The settings screen that takes the day screen's place in the popover: a header with the
// back button and the icon tabs, and below it the chosen tab, made anew on every switch.
Rectangle {
    id: view

    required property AppServices services

    signal back()
    // A press on the free space of the chosen tab's scrolling content.
    signal emptyPressed()

    function loadTab(): void {
        content.setSource(tabs.contentUrl, { services: view.services });
    }

    implicitWidth: 420
    implicitHeight: 600
    color: view.services.theme.background

    InlineSettingsViewModel {
        id: tabs

        onContentUrlChanged: view.loadTab()
    }

    ColumnLayout {
        anchors.fill: parent
        spacing: 0

        Rectangle {
            id: header

            Layout.fillWidth: true
            implicitHeight: headerRow.implicitHeight + 12
            color: view.services.theme.faint

            RowLayout {
                id: headerRow

                anchors.fill: parent
                anchors.leftMargin: 10
                anchors.rightMargin: 10
                anchors.topMargin: 6
                anchors.bottomMargin: 6
                spacing: 8

                AbstractButton {
                    id: backButton

                    implicitWidth: 28
                    implicitHeight: 28
                    padding: 0
                    Accessible.role: Accessible.Button
                    Accessible.name: qsTr("Tilbage")
                    Accessible.onPressAction: backButton.clicked()
                    onClicked: view.back()

                    contentItem: Icon {
                        name: "chevron.left"
                        size: 11
                        font.bold: true
                        color: view.services.theme.accent
                    }
                }

                Row {
                    spacing: 2
                    Accessible.role: Accessible.PageTabList
                    Accessible.name: qsTr("Faner")

                    Repeater {
                        model: tabs.tabs

                        delegate: SettingsTabButton {
                            id: tabButton

                            required property var modelData

                            theme: view.services.theme
                            iconName: tabButton.modelData.icon
                            title: tabButton.modelData.title
                            isChosen: tabs.selectedTab === tabButton.modelData.value
                            onClicked: tabs.selectTab(tabButton.modelData.value)
                        }
                    }
                }

                Item {
                    Layout.fillWidth: true
                }
            }

            Rectangle {
                anchors.left: parent.left
                anchors.right: parent.right
                anchors.bottom: parent.bottom
                height: 1
                color: view.services.theme.hairline
            }
        }

        Loader {
            id: content

            Layout.fillWidth: true
            Layout.fillHeight: true
            Component.onCompleted: view.loadTab()
        }

        Connections {
            target: content.item
            ignoreUnknownSignals: true

            function onEmptyPressed() {
                view.emptyPressed()
            }
        }
    }
}
