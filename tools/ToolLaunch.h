// The common life of a service tool's window: created over the main window,
// reachable through its global and its frame slot while it is shown
// modally, then deleted with both cleared. Main thread only.
#pragma once

#include "main/ToolWindows.h"

#include <memory>

template <typename Form> void RunToolWindow(QWidget *owner, Form *&global, ToolWindowSlot &slot)
{
    struct Clear
    {
        Form *&global;
        ToolWindowSlot &slot;
        ~Clear()
        {
            slot = {};
            global = nullptr;
        }
    };
    auto form = std::make_unique<Form>(owner);
    Clear clear{global, slot};
    global = form.get();
    slot = {form.get(), form.get()};
    form->exec();
}
