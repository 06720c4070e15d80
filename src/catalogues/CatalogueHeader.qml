import QtQuick
import QtQuick.Controls.Basic
import QtQuick.Layouts
import Timeglas

// The header line of a catalogue list: its title and the plus button that opens a new record.
Item {
    id: header

    required property Theme theme
    property string title: ""
    // What the plus button does, read aloud by assistive technology.
    property string addName: ""

    signal add()

    Layout.fillWidth: true
    implicitHeight: addButton.implicitHeight + 24

    Text {
        anchors.left: parent.left
        anchors.leftMargin: 14
        anchors.right: addButton.left
        anchors.verticalCenter: addButton.verticalCenter
        text: header.title
        textFormat: Text.PlainText
        font.pixelSize: 10
        font.bold: true
        font.letterSpacing: 0.8
        font.capitalization: Font.AllUppercase
        color: header.theme.withOpacity(header.theme.textBase, 0.3)
        elide: Text.ElideRight
        Accessible.role: Accessible.Heading
        Accessible.name: header.title
    }

    AbstractButton {
        id: addButton

        anchors.right: parent.right
        anchors.rightMargin: 14
        anchors.top: parent.top
        anchors.topMargin: 14
        implicitWidth: 28
        implicitHeight: 28
        padding: 0
        Accessible.role: Accessible.Button
        Accessible.name: header.addName
        Accessible.onPressAction: addButton.clicked()
        onClicked: header.add()

        background: Item {
            Rectangle {
                anchors.centerIn: parent
                width: 20
                height: 20
                radius: 5
                color: header.theme.withOpacity(header.theme.textBase, addButton.hovered ? 0.08 : 0.04)
            }
        }

        contentItem: Icon {
            name: "plus"
            size: 11
            color: header.theme.withOpacity(header.theme.textBase, 0.3)
        }
    }
}
