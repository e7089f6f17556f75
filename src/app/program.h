#pragma once

#include <functional>

namespace dorvanix {

class AppContext;
class MainWindow;

// Called once the main window shows, before the run's event loop starts.
using StartHook = std::function<void(AppContext&, MainWindow&)>;

// One run of the desktop program: the application, the keeper of its workers, the run's shared
// context and the main window, until the main window ends the run; answers the exit status.
// With --screenshot DIR it walks through the screenshot tour instead. The windows go first, then
// every worker is cancelled and joined, then the application: nothing outlives Qt.
int runProgram(int& argc, char** argv, const StartHook& started = {});

}  // namespace dorvanix
