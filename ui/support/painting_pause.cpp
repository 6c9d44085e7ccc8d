#include "painting_pause.h"

#include <QEventLoop>
#include <QTimer>

namespace orvel {

void PaintingPause(int milliseconds) {
    QEventLoop loop;
    QTimer::singleShot(milliseconds, &loop, &QEventLoop::quit);
    loop.exec(QEventLoop::ExcludeUserInputEvents);
}

}  // namespace orvel
