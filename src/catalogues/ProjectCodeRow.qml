import QtQuick
import QtQuick.Controls.Basic
import QtQuick.Layouts
import Timeglas

// One project code in the catalogue: a click edits it; the cross, shown while the pointer is
// over the row, deletes it without asking.
Item {
    id: row

    required property Theme theme
    required property ProjectCode projectCode
    readonly property bool isHovered: hover.hovered
    // A deleted record leaves the list a moment before its row goes; the row then shows nothing.
    readonly property string code: row.projectCode?.code ?? ""
    readonly property string name: row.projectCode?.name ?? ""
    readonly property string displayName: row.projectCode?.displayName ?? ""

    signal edit()
    signal remove()

    function ink(opacity: real): color {
        return row.theme.withOpacity(row.theme.textBase, opacity);
    }

    implicitHeight: line.implicitHeight + 16

    HoverHandler {
        id: hover
    }

    Rectangle {
        anchors.fill: parent
        radius: 6
        color: row.ink(0.04)
        visible: row.isHovered
    }

    RowLayout {
        id: line

        anchors.fill: parent
        anchors.margins: 8
        spacing: 8

        AbstractButton {
            id: editArea

            Layout.fillWidth: true
            Layout.fillHeight: true
            implicitHeight: editArea.implicitContentHeight
            padding: 0
            Accessible.role: Accessible.Button
            Accessible.name: qsTr("Rediger projektkode %1").arg(row.displayName)
            Accessible.onPressAction: editArea.clicked()
            onClicked: row.edit()

            background: Item {}

            contentItem: RowLayout {
                spacing: 8

                Icon {
                    name: "tag.fill"
                    size: 12
                    color: row.theme.withOpacity(row.theme.accent, 0.7)
                }

                ColumnLayout {
                    Layout.fillWidth: true
                    spacing: 1

                    Text {
                        Layout.fillWidth: true
                        text: row.code
                        textFormat: Text.PlainText
                        font.pixelSize: 12
                        font.weight: Font.Medium
                        color: row.ink(0.85)
                        elide: Text.ElideRight
                    }

                    Text {
                        Layout.fillWidth: true
                        visible: row.name !== ""
                        text: row.name
                        textFormat: Text.PlainText
                        font.pixelSize: 11
                        color: row.ink(0.5)
                        elide: Text.ElideRight
                        maximumLineCount: 1
                    }
                }
            }
        }

        CatalogueRowButton {
            iconName: "xmark"
            iconSize: 10
            iconColor: row.ink(0.5)
            revealed: row.isHovered
            accessibleName: qsTr("Slet projektkode %1").arg(row.displayName)
            onClicked: row.remove()
        }
    }
}
