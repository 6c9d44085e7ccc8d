// Where a top-level window goes on its screen.
#pragma once

#include <QRect>

namespace orvel {

// Where a top-level window's client area goes so that the whole frame, title bar and borders
// included, lies inside `area`: as large as it was or as fits, moved in where it stuck out.
QRect ClientWithinArea(const QRect& client, const QRect& frame, const QRect& area);

}  // namespace orvel
