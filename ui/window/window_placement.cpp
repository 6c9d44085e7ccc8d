#include "window_placement.h"

#include <QMargins>
#include <algorithm>

namespace orvel {

QRect ClientWithinArea(const QRect& client, const QRect& frame, const QRect& area) {
    const QMargins decoration(client.left() - frame.left(), client.top() - frame.top(),
                              frame.right() - client.right(), frame.bottom() - client.bottom());
    const QSize size = client.size().boundedTo(area.size().shrunkBy(decoration));
    QRect placed(frame.topLeft(), size.grownBy(decoration));
    if (placed.right() > area.right())
        placed.moveRight(area.right());
    if (placed.bottom() > area.bottom())
        placed.moveBottom(area.bottom());
    placed.moveLeft(std::max(placed.left(), area.left()));
    placed.moveTop(std::max(placed.top(), area.top()));
    return placed.marginsRemoved(decoration);
}

}  // namespace orvel
