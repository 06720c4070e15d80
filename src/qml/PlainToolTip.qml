import QtQuick
import QtQuick.Controls.Basic

// A tooltip that shows its text as it is. The attached ToolTip shares one tooltip whose text
// is read as markup, so a tooltip never uses it.
ToolTip {
    id: tip

    contentItem: Text {
        text: tip.text
        textFormat: Text.PlainText
        font: tip.font
        wrapMode: Text.Wrap
        color: tip.palette.toolTipText
    }
}
