// Small builders shared by the windows' control layouts.
#pragma once

class QPushButton;
class QScrollArea;
class QWidget;

// A push button with its control name; it never takes Return as the default.
QPushButton *formButton(QWidget *parent, const char *name, const char *caption);

// On a page that scrolls, the combo boxes, spin boxes and edits inside `area`
// take the mouse wheel only while they have the focus; otherwise the wheel
// scrolls the page, so that a pointer resting on one while the page scrolls
// changes no setting. The wheel no longer gives them the focus. Call once the
// page's controls exist. Main thread only.
void WheelScrollsPage(QScrollArea *area);
