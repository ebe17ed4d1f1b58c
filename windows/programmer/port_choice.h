// Which chip port a command works on.
#pragma once

#include <string>

// The port a command uses: the one named, or the only chip port present. Throws a
// CommandFailure naming the ports there are when there is none or several.
std::string ChoosePortForCommand(const std::string& named);
