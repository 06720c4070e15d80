import QtQuick
import QtQuick.Controls.Basic
import QtQuick.Layouts
import Timeglas

// General settings: every control writes its preference the moment it changes.
Flickable {
    id: tab

    required property AppServices services
    readonly property Theme theme: tab.services.theme

    // A press on the tab's free space, which ends text editing as one on the screen's does.
    signal emptyPressed()

    function ink(opacity: real): color {
        return tab.theme.withOpacity(tab.theme.textBase, opacity);
    }

    contentWidth: width
    contentHeight: sections.implicitHeight + 40
    clip: true
    boundsBehavior: Flickable.StopAtBounds
    ScrollBar.vertical: ScrollBar {}

    // The view takes presses for scrolling; one on its free part still ends text editing.
    TapHandler {
        acceptedButtons: Qt.AllButtons
        onPressedChanged: {
            if (pressed)
                tab.emptyPressed()
        }
    }

    GeneralSettingsTabModel {
        id: settings

        services: tab.services
    }

    ColumnLayout {
        id: sections

        x: 20
        y: 20
        width: tab.width - 40
        spacing: 20

        SettingsSection {
            theme: tab.theme
            title: qsTr("Generelt")

            RowLayout {
                Layout.fillWidth: true
                spacing: 8

                Text {
                    id: billableLabel

                    Layout.fillWidth: true
                    text: qsTr("Vis fakturerbar tid i menulinjen")
                    textFormat: Text.PlainText
                    font.pixelSize: 13
                    color: tab.ink(0.85)
                    wrapMode: Text.WordWrap
                }

                Switch {
                    id: billableSwitch

                    padding: 0
                    checked: settings.defaultShowBillableTime
                    Accessible.name: billableLabel.text
                    // toggle() would not emit toggled(), so assistive technology writes the preference itself.
                    Accessible.onPressAction: settings.defaultShowBillableTime = !settings.defaultShowBillableTime
                    Accessible.onToggleAction: settings.defaultShowBillableTime = !settings.defaultShowBillableTime
                    onToggled: settings.defaultShowBillableTime = billableSwitch.checked

                    indicator: Rectangle {
                        implicitWidth: 32
                        implicitHeight: 18
                        radius: 9
                        color: billableSwitch.checked ? tab.theme.accent : tab.ink(0.15)

                        Rectangle {
                            x: billableSwitch.checked ? parent.width - width - 2 : 2
                            anchors.verticalCenter: parent.verticalCenter
                            width: 14
                            height: 14
                            radius: 7
                            color: "white"

                            Behavior on x {
                                NumberAnimation {
                                    duration: 150
                                    easing.type: Easing.InOutQuad
                                }
                            }
                        }
                    }
                }
            }

            SettingsSwitchRow {
                objectName: "startAtLogin"
                Layout.fillWidth: true
                theme: tab.theme
                text: qsTr("Start ved login")
                checked: settings.startAtLogin
                onToggled: (checked) => settings.startAtLogin = checked
            }

            Text {
                objectName: "startAtLoginError"
                Layout.fillWidth: true
                visible: settings.startAtLoginError !== ""
                text: settings.startAtLoginError
                textFormat: Text.PlainText
                font.pixelSize: 11
                color: tab.theme.red
                wrapMode: Text.WordWrap
            }

            Text {
                Layout.fillWidth: true
                text: qsTr("Spørg efter fravær over")
                textFormat: Text.PlainText
                font.pixelSize: 13
                color: tab.ink(0.85)
                Accessible.role: Accessible.StaticText
                Accessible.name: text
            }

            OptionRow {
                objectName: "awayOptions"
                Layout.fillWidth: true
                theme: tab.theme
                enabled: settings.canTellAway
                opacity: enabled ? 1 : 0.4
                options: settings.awayOptions
                chosenValue: settings.chosenAway
                onChosen: (value) => settings.chooseAway(value)
            }

            Text {
                objectName: "awayUnavailable"
                Layout.fillWidth: true
                visible: !settings.canTellAway
                text: qsTr("Intet på dette skrivebord melder, når du er væk.")
                textFormat: Text.PlainText
                font.pixelSize: 11
                color: tab.ink(0.5)
                wrapMode: Text.WordWrap
            }

            RowLayout {
                Layout.fillWidth: true
                spacing: 8

                Text {
                    Layout.fillWidth: true
                    text: qsTr("Afslut Timeglas")
                    textFormat: Text.PlainText
                    font.pixelSize: 13
                    color: tab.ink(0.85)
                    wrapMode: Text.WordWrap
                }

                AbstractButton {
                    id: quitButton

                    objectName: "quitButton"
                    text: qsTr("Afslut")
                    leftPadding: 12
                    rightPadding: 12
                    implicitHeight: 26
                    hoverEnabled: true
                    Accessible.role: Accessible.Button
                    Accessible.name: quitButton.text
                    Accessible.onPressAction: quitButton.clicked()
                    onClicked: settings.quit()

                    background: Rectangle {
                        radius: 6
                        color: quitButton.down ? tab.ink(0.2) : quitButton.hovered ? tab.ink(0.14) : tab.ink(0.08)
                    }

                    contentItem: Text {
                        text: quitButton.text
                        textFormat: Text.PlainText
                        font.pixelSize: 12
                        font.weight: Font.Medium
                        color: tab.ink(0.85)
                        horizontalAlignment: Text.AlignHCenter
                        verticalAlignment: Text.AlignVCenter
                    }
                }
            }
        }

        SettingsSection {
            theme: tab.theme
            title: qsTr("Udseende")

            OptionRow {
                Layout.fillWidth: true
                theme: tab.theme
                options: settings.appearanceOptions
                chosenValue: settings.chosenAppearance
                onChosen: (value) => settings.chooseAppearance(value)
            }
        }

        SettingsSection {
            theme: tab.theme
            title: qsTr("Workbook")

            Text {
                text: qsTr("API-nøgle")
                textFormat: Text.PlainText
                font.pixelSize: 11
                font.weight: Font.Medium
                color: tab.ink(0.3)
            }

            TextField {
                id: apiKeyField

                Layout.fillWidth: true
                text: settings.workbookAPIKey
                placeholderText: qsTr("Indtast API-nøgle")
                placeholderTextColor: tab.ink(0.3)
                echoMode: TextInput.Password
                passwordCharacter: "\u2022"
                inputMethodHints: Qt.ImhSensitiveData | Qt.ImhNoPredictiveText | Qt.ImhNoAutoUppercase
                font.pixelSize: 13
                color: tab.ink(0.85)
                selectionColor: tab.theme.withOpacity(tab.theme.accent, 0.4)
                leftPadding: 10
                rightPadding: 10
                topPadding: 8
                bottomPadding: 8
                Accessible.name: qsTr("API-nøgle")
                // Every keystroke is stored, clearing included; Return adds nothing.
                onTextEdited: settings.workbookAPIKey = apiKeyField.text

                background: Rectangle {
                    radius: 6
                    color: tab.theme.faint
                    border.width: 1
                    border.color: apiKeyField.activeFocus ? tab.theme.withOpacity(tab.theme.accent, 0.6)
                                                          : tab.ink(tab.theme.isDark ? 0.12 : 0.15)
                }
            }

            Text {
                Layout.fillWidth: true
                text: qsTr("Workbook-integration er endnu ikke tilgængelig.")
                textFormat: Text.PlainText
                font.pixelSize: 11
                color: tab.ink(0.3)
                wrapMode: Text.WordWrap
                Accessible.role: Accessible.StaticText
                Accessible.name: qsTr("Workbook-integration er endnu ikke tilgængelig.")
            }
        }
    }
}
