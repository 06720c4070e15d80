import QtQuick
import Timeglas

// The clock card's line under the time: the code badge and the task's name.
Row {
    id: line

    required property Theme theme
    property bool running: false
    property string code: ""
    property string title: ""

    spacing: 6
    Accessible.role: Accessible.StaticText
    Accessible.name: line.code !== "" && line.title !== "" ? line.code + " " + line.title : line.code + line.title

    Rectangle {
        anchors.verticalCenter: parent.verticalCenter
        visible: line.code !== ""
        width: codeText.implicitWidth + 10
        height: codeText.implicitHeight + 4
        radius: 3
        color: line.running ? Qt.rgba(1, 1, 1, 0.2) : line.theme.withOpacity(line.theme.accent, 0.12)

        Text {
            id: codeText

            anchors.centerIn: parent
            text: line.code
            textFormat: Text.PlainText
            font.pixelSize: 10
            font.weight: Font.Bold
            font.letterSpacing: 1
            color: line.running ? "white" : line.theme.accent
        }
    }
    Text {
        anchors.verticalCenter: parent.verticalCenter
        width: Math.min(implicitWidth, line.width - (line.code !== "" ? codeText.implicitWidth + 16 : 0))
        text: line.title
        textFormat: Text.PlainText
        elide: Text.ElideRight
        font.pixelSize: 13
        font.weight: Font.Medium
        color: line.running ? Qt.rgba(1, 1, 1, 0.85) : line.theme.withOpacity(line.theme.textBase, 0.5)
    }
}
