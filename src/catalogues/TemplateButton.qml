import QtQuick
import QtQuick.Controls.Basic
import QtQuick.Layouts
import Timeglas

// One template in the catalogue: a click edits it; the plus and the cross, shown while the
// pointer is over the row, hand its name on as a new task and delete it without asking.
Item {
    id: row

    required property Theme theme
    required property TaskTemplate template
    readonly property bool isHovered: hover.hovered
    // A deleted template leaves the list a moment before its row goes; the row then shows nothing.
    readonly property string name: row.template?.name ?? ""
    readonly property bool hasProjectCode: row.template?.hasProjectCode ?? false
    readonly property string projectCode: row.template?.projectCode ?? ""

    signal tap()
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
            Accessible.name: qsTr("Rediger skabelon %1").arg(row.name)
            Accessible.onPressAction: editArea.clicked()
            onClicked: row.edit()

            background: Item {}

            contentItem: RowLayout {
                spacing: 8

                Icon {
                    name: "doc.text"
                    size: 12
                    color: row.theme.withOpacity(row.theme.accent, 0.7)
                }

                Text {
                    Layout.fillWidth: true
                    text: row.name
                    textFormat: Text.PlainText
                    font.pixelSize: 12
                    color: row.ink(0.85)
                    elide: Text.ElideRight
                    maximumLineCount: 1
                }

                Label {
                    visible: row.hasProjectCode
                    text: row.projectCode
                    textFormat: Text.PlainText
                    leftPadding: 5
                    rightPadding: 5
                    topPadding: 1
                    bottomPadding: 1
                    font.pixelSize: 10
                    font.weight: Font.DemiBold
                    color: row.theme.accent

                    background: Rectangle {
                        radius: 3
                        color: row.theme.withOpacity(row.theme.accent, 0.12)
                    }
                }
            }
        }

        CatalogueRowButton {
            iconName: "plus.circle"
            iconSize: 12
            iconColor: row.theme.withOpacity(row.theme.accent, 0.6)
            revealed: row.isHovered
            accessibleName: qsTr("Tilføj opgave fra skabelon %1").arg(row.name)
            onClicked: row.tap()
        }

        CatalogueRowButton {
            iconName: "xmark"
            iconSize: 10
            iconColor: row.ink(0.5)
            revealed: row.isHovered
            accessibleName: qsTr("Slet skabelon %1").arg(row.name)
            onClicked: row.remove()
        }
    }
}
