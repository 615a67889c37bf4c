// One running instance per program file and logon, held by a named semaphore.
#pragma once
#include <string>

// Claims the semaphore named name and returns while no other instance holds it (also when
// the semaphore cannot be created at all). When it is taken: the error box (only while
// QuitMode is "0"), the error line, and ExitProgram. The claimed handle stays open until
// the process ends.
void GuardSingleInstance(const std::wstring& name);
