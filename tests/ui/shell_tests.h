// The window shell's QtTest suites, run one after the other by shell_tests.cpp.
#pragma once

#include <QString>

class QWidget;

int RunFormTests(int argc, char** argv);
int RunListTests(int argc, char** argv);
int RunFrameTests(int argc, char** argv);
int RunHelpFileTests(int argc, char** argv);

// Saves a picture of the widget when ORVEL_SCREENSHOT_DIR names a folder; for looking at the
// layout, not for comparing pixels.
void SaveScreenshot(QWidget& widget, const QString& name);
