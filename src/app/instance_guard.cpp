// The single-instance guard.
#include "app/instance_guard.h"

#include <windows.h>

#include "app/exit_program.h"
#include "app/program_state.h"
#include "log/log_writer.h"
#include "ui/message_box.h"

namespace {
// Held, never waited on or released: the name alone keeps a second instance out. The system
// closes it when the process ends.
HANDLE g_instanceSemaphore = nullptr;
}  // namespace

void GuardSingleInstance(const std::wstring& name) {
    HANDLE semaphore = CreateSemaphoreW(nullptr, 0, 1, name.c_str());
    if (!semaphore) return;
    if (GetLastError() == ERROR_ALREADY_EXISTS) {
        // This handle refers to the running instance's semaphore; this instance is leaving.
        CloseHandle(semaphore);
        if (g_settings.QuitMode == L"0")
            ShowProgramBox(L"Das Programm läuft schon und darf nur einmal gestartet werden!",
                           ProgramFileName() + L"-Error", BoxIcon::Error);
        WriteLog(1, L"Das Programm läuft schon und wurde erneut gestartet!");
        ExitProgram();
    }
    g_instanceSemaphore = semaphore;
}
