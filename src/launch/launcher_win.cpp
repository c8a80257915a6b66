#include "launch/command_line.h"
#include "launch/launcher.h"

bool Launcher::Initialize() {
    ParseCommandLine(arguments);
    return ReadSettings();
}
