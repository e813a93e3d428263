// Small builders shared by the windows' control layouts.
#pragma once

class QPushButton;
class QWidget;

// A push button with its control name; it never takes Return as the default.
QPushButton *formButton(QWidget *parent, const char *name, const char *caption);
