#include <windows.h>

#include "platform/native.h"

void SystemDebugOutput(const char* line) { OutputDebugStringA(line); }
