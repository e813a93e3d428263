// Puts the service tools' windows behind the main window's menu items.
#pragma once

// Called once at start-up, after the main window exists. Main thread only.
void RegisterToolWindows();
