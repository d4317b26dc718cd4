// The program's link to the navigator: one file layer ("kelvaro" to
// "TomTomNavigationServer", conversation number the process id) and the command object on
// it, made at start-up and destroyed at exit; and the poll for requests addressed to the
// program, once per turn of the main loop.
#pragma once

#include <cstdint>

#include "navlink/file_layer.h"
#include "navlink/navigator_commands.h"

namespace kelvaro {

// 1 when the layer and the command object exist, 0 when the layer could not be made.
int32_t startNavigatorLink();
void stopNavigatorLink();

// Hands every complete message addressed to ownName (in any letter case) to the handler;
// messages for other addressees are left alone.
void pollNavigatorLink(const char* ownName, MCommandHandlerInterface* handler);

// The command object, or null when there is no link: callers skip the command then.
NavigatorCommands* navigatorCommands();
CTomTomFileLayer* navigatorLayer();

}  // namespace kelvaro
