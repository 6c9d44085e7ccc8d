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

// ORVEL_SHELL_SUITE names one suite to run alone: the forms at 200 % (the list's pixel checks
// read pictures at 100 %).
int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const struct {
        const char* name;
        int (*run)(int, char**);
    } suites[] = {{"form", RunFormTests},
                  {"list", RunListTests},
                  {"frame", RunFrameTests},
                  {"help", RunHelpFileTests}};
    const QString only = qEnvironmentVariable("ORVEL_SHELL_SUITE");
    int failures = 0;
    for (const auto& suite : suites) {
        if (only.isEmpty() || only == QLatin1String(suite.name))
            failures += suite.run(argc, argv);
    }
    return failures == 0 ? 0 : 1;
}
