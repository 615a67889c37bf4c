// Process entry: the program's facilities, its paths and first values, then the tray
// application, and the one way out.
#include <windows.h>

#include <commctrl.h>
#include <objbase.h>

#include "app/app_paths.h"
#include "app/exit_program.h"
#include "app/tray_app.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&controls);
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);  // the folder dialog needs COM

    InitProgramState();
    TrayApp::Run();
    ExitProgram();
}
