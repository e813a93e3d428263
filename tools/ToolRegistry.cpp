#include "tools/ToolRegistry.h"

#include "main/ToolWindows.h"

void RegisterToolWindows()
{
    // Each tool adds its launcher here.
}
