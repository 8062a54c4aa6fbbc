#pragma once
// CMessengerApp: the program's application object. Run takes the user's
// instance lock: a second start of the same user hands its action (if any)
// to the running instance and ends at once and silently. The first builds
// the main window, which starts the messenger, listens for the actions of
// later starts, and runs until the main window closes (the tray menu's
// "Exit Parlino", --exit, SIGTERM or the end of the session).

#include <QApplication>

#include "ui/app/pl_command_line.h"

class CMessengerApp : public QApplication {
public:
    CMessengerApp(int& argc, char** argv);

    int Run(const PlCommandLine& line);
};

// Under a Wayland session the program runs on XWayland (the xcb platform):
// its popups need a position and to stay on top. QT_QPA_PLATFORM, when set,
// decides instead. Called before the application object exists.
void PlChooseQtPlatform();
