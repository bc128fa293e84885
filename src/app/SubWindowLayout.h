#pragma once

class QMdiArea;
class QMdiSubWindow;

// The layout the user made of the child windows, kept when a command or a jump from another window
// opens or brings forward a window: maximised windows stay maximised, and a window in the normal
// state lies inside the work area at a size its editors can be reached in.
namespace SubWindowLayout {

// Whether the user works with maximised windows: the active window (the top one when none is
// active) is maximised.
bool maximised(const QMdiArea& area);

// A window just shown for the first time (its stored geometry, if any, already applied): maximised
// in a maximised layout; otherwise no larger than the work area, moved into it, and at least as
// large as its content needs where the area allows.
void placeNew(QMdiSubWindow& window, bool maximised);

// An open window brought forward: a minimised one comes back in the layout's state.
void bringForward(QMdiSubWindow& window, bool maximised);

} // namespace SubWindowLayout
