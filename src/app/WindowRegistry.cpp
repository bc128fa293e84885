#include "app/WindowRegistry.h"

#include "app/MainFrm.h"

void registerProgramWindows() {}
