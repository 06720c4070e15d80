import QtQuick
import Timeglas

// One icon of the shipped icon font, named as the screens name it ("play.fill").
Text {
    id: icon

    property string name: ""
    property real size: 14

    text: Icons.glyph(icon.name)
    textFormat: Text.PlainText
    font.family: Icons.fontFamily
    font.pixelSize: icon.size
    horizontalAlignment: Text.AlignHCenter
    verticalAlignment: Text.AlignVCenter
    Accessible.ignored: true
}
