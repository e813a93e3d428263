// Event types of the widget units' non-visual components.
#pragma once

#include <functional>

class QObject;

// An event with the component that raised it.
using TNotifyEvent = std::function<void(QObject *Sender)>;
