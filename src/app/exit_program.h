// The program's one way out: run the registered release actions, then end the process with
// exit code 0.
#pragma once

// Registers a release action that ExitProgram runs before the process ends, for whatever
// the program holds at that moment: the tray icon, its windows, open files. Actions run in
// reverse order of registration (the last one registered runs first), each at most once,
// even when an action itself ends up in ExitProgram again. An action should be cheap and
// must not show anything.
//   Example: AddExitAction([] { Shell_NotifyIconW(NIM_DELETE, &g_trayIcon); });
using ExitAction = void (*)();
void AddExitAction(ExitAction action);

// Runs the release actions, closes the configuration file and ends the process with exit
// code 0. Does not return.
[[noreturn]] void ExitProgram();

// Tests may take the end of the process: the hook runs after the release actions instead of
// ExitProcess and must not return (a test throws out of it); if it does, the process ends.
// nullptr restores ExitProcess.
using ExitHook = void (*)();
void SetExitHookForTesting(ExitHook hook);
