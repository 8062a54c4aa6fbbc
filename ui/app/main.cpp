// parlino: the desktop messenger.

#include <iostream>

#include "app/shared/pl_program_info.h"
#include "ui/app/c_messenger_app.h"

int main(int argc, char** argv)
{
    const PlCommandLine line = PlParseCommandLine(argc, argv);
    if (!line.error.empty()) {
        std::cerr << "parlino: " << line.error << "\n" << PlUsageText();
        return 2;
    }
    if (line.help) {
        std::cout << PlUsageText();
        return 0;
    }
    if (line.version) {
        std::cout << "parlino " << pl::ProductVersion() << "\n";
        return 0;
    }
    PlChooseQtPlatform();
    CMessengerApp app(argc, argv);
    return app.Run(line);
}
