#include "shell_tests.h"

#include <QApplication>
#include <QDir>
#include <QWidget>

void SaveScreenshot(QWidget& widget, const QString& name) {
    const QString dir = qEnvironmentVariable("ORVEL_SCREENSHOT_DIR");
    if (!dir.isEmpty()) {
        widget.grab().save(QDir(dir).filePath(name + QStringLiteral(".png")));
    }
}

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    int failures = 0;
    for (auto run : {RunFormTests, RunListTests, RunFrameTests, RunHelpFileTests}) {
        failures += run(argc, argv);
    }
    return failures == 0 ? 0 : 1;
}
