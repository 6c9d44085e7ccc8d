// orvelctl: the radio programming tool for scripts and terminals.
#include <QCoreApplication>
#include <iostream>

#include "commands.h"

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    // The same name as the window, so both find one OrvelTool.ini and one backup folder.
    QCoreApplication::setApplicationName(QStringLiteral("OrvelTool"));
    return orvel::cli::Run(QCoreApplication::arguments(), std::cout, std::cerr);
}
