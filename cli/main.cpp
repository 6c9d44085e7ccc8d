// orvelctl: the radio programming tool for scripts and terminals.
#include <QCoreApplication>
#include <iostream>
#include <string_view>

#include "commands.h"
#include "orvel_version.h"
#include "write_signals.h"

int main(int argc, char* argv[]) {
    orvel::cli::IgnoreBrokenPipes();
    orvel::cli::IgnoreFileSizeLimit();
    if (argc == 2 && std::string_view(argv[1]) == "--version") {
        std::cout << "orvelctl " << orvel::kVersion << '\n';
        return 0;
    }
    QCoreApplication app(argc, argv);
    // The same name as the window, so both find one OrvelTool.ini and one backup folder.
    QCoreApplication::setApplicationName(QStringLiteral("OrvelTool"));
    return orvel::cli::Run(orvel::cli::ProgramArguments(argc, argv), std::cout, std::cerr);
}
