// Tooltips at a readable width: Qt shows a plain tooltip on one line however long it is, which at
// a panel's width runs far past it and is pushed to the screen's edge.
#pragma once

#include <QString>

namespace trembla {

// The widest tooltip line, in characters: about the floating column's width in the panel's font.
inline constexpr int kTipColumns = 48;

// `text` broken at spaces into lines of at most `columns` characters (a longer word keeps its own
// line); line breaks already in the text stay.
QString wrapped_tip(const QString& text, int columns = kTipColumns);

}  // namespace trembla
