// Each line marked "leak" must be reported by scripts/check-translatable; the others not.
import QtQuick
import QtQuick.Controls.Basic

Item {
    property string title: "Periode" // leak: a shown property of our own types
    Text { text: "Gem"; textFormat: Text.PlainText } // leak
    Text {
        text: count + " dage" // leak: concatenated
        textFormat: Text.PlainText
        Accessible.name: closed ? qsTr("Dag lukket")
                                : "Start" // leak: the other branch, a line further on
    }
    Button { text: qsTr("Annuller"); Accessible.description: qsTr("Luk %1").arg(name) }
    TextField { placeholderText: "Opgavenavn"; objectName: "nameField" } // leak
    Item { Accessible.name: qsTr("%n opgaver", "", count) + ", " + code }
    Text { text: record?.name ?? ""; textFormat: Text.PlainText }
    Icon { name: "lock.fill"; color: "white" }
    Text { text: mode === "dark" ? qsTr("Mørk // ikke en kommentar") : "Lys"; textFormat: Text.PlainText } // leak: "Lys" only
    // text: "a comment is not shown"
    Component.onCompleted: console.log("Logged, not shown")
}
