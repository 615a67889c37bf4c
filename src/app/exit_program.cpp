// The release actions and the end of the process.
#include "app/exit_program.h"

#include <windows.h>

#include <vector>

#include "config/conf_file.h"

namespace {
std::vector<ExitAction>& Actions() {
    static std::vector<ExitAction> actions;
    return actions;
}
ExitHook g_exitHook = nullptr;
}  // namespace

void AddExitAction(ExitAction action) {
    if (action) Actions().push_back(action);
}

void SetExitHookForTesting(ExitHook hook) { g_exitHook = hook; }

void ExitProgram() {
    // Each action leaves the list before it runs, so an action that comes back here
    // cannot run twice or loop.
    std::vector<ExitAction>& actions = Actions();
    while (!actions.empty()) {
        const ExitAction action = actions.back();
        actions.pop_back();
        action();
    }
    // A configuration file still open is written back if something was written to it.
    TheConfFile().Close();
    if (g_exitHook) g_exitHook();
    ExitProcess(0);
}
