import QtQuick
import QtQuick.Layouts
import Timeglas

// The titled group box that every settings tab stacks its content in.
// Children declared inside a section are laid out in a column under the title.
Rectangle {
    id: section

    required property Theme theme
    property string title: ""
    default property alias content: body.data

    Layout.fillWidth: true
    implicitWidth: column.implicitWidth + 28
    implicitHeight: column.implicitHeight + 28
    radius: 10
    color: section.theme.faint
    border.width: 1
    border.color: section.theme.hairline

    ColumnLayout {
        id: column

        anchors.fill: parent
        anchors.margins: 14
        spacing: 12

        Text {
            Layout.fillWidth: true
            text: section.title
            textFormat: Text.PlainText
            font.pixelSize: 10
            font.bold: true
            font.letterSpacing: 0.8
            font.capitalization: Font.AllUppercase
            color: section.theme.withOpacity(section.theme.textBase, 0.3)
            elide: Text.ElideRight
            Accessible.role: Accessible.Heading
            Accessible.name: section.title
        }

        ColumnLayout {
            id: body

            Layout.fillWidth: true
            spacing: 8
        }
    }
}
