#include "painting_pause.h"

#include <QEventLoop>
#include <QTimer>

void PaintingPause(int milliseconds) {
    QEventLoop loop;
    QTimer::singleShot(milliseconds, &loop, &QEventLoop::quit);
    loop.exec(QEventLoop::ExcludeUserInputEvents);
}
