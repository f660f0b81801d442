// Placing a top-level window by the top-left corner of its frame (title bar
// and borders included), the corner QWidget::pos() reports, and sizing it by
// its frame.
#pragma once

#include <QPoint>
#include <QSize>
#include <functional>

class QWidget;

namespace rivolet {

// Moves `window` so that its frame's top-left corner is at `frame_top_left`.
// Before a window is first shown its frame is unknown, and X11 puts the inside
// of the window at the position asked for; so the window is moved once more
// as soon as its frame is known, and pos() then gives back `frame_top_left`.
// Meant for a window's placement before its first showing. When the frame
// is known, `keep` (when given) may move the corner once more, told the
// corner and the window's outer size, frame included.
using KeepCorner = std::function<QPoint(QPoint corner, QSize outer)>;
void MoveFrameTo(QWidget* window, QPoint frame_top_left, KeepCorner keep = {});

// Keeps the outer size of `window`, its frame included, at `outer`: each time
// the window manager's frame around it becomes known or changes, the inside
// is resized to what the frame leaves. Without a frame the inside is `outer`.
void KeepFrameSize(QWidget* window, QSize outer);

// Where the frame's top-left corner of `window` is now.
QPoint FramePosition(const QWidget* window);

}  // namespace rivolet
