// Each object marked "leak" must be reported by scripts/check-qml-plaintext; the others not.
import QtQuick
import QtQuick.Controls.Basic

Item {
    Text { text: "fixed" } // leak: no textFormat
    Text {
        textFormat: Text.PlainText
        text: record.name
        Rectangle { Text { text: "nested" } } // leak: the outer format does not cover it
    }
    Label { text: record.name; textFormat: Text.PlainText }
    Button { text: record.name } // leak: stock contentItem
    Button { text: qsTr("Gem") }
    MenuItem { text: "// not a comment {" }
    Item { ToolTip.text: record.code } // leak: attached tooltip
    TextField { placeholderText: "Kode"; text: record.code }
    ToolTip { text: record.name } // leak: stock contentItem
}
