// Tooltips with the whole text of list cells that show only part of it.
#pragma once

#include <QPoint>
#include <QString>

class QAbstractItemView;

namespace rivolet {

// From now on, a cell of `view` that is too narrow for its text shows the
// whole text, as plain text, in its tooltip.
void ShowWholeTextTips(QAbstractItemView* view);

// The whole text of the cell at `at` (in the view's viewport) when the cell
// shows only part of it; empty otherwise.
QString WholeTextTip(const QAbstractItemView* view, QPoint at);

}  // namespace rivolet
