// Questions a view asks about its environment.
#pragma once

class QWidget;

class OVViewUtil
{
public:
    /// Whether the view is shown in a dark appearance: its palette's window colour has a
    /// lightness below 0.5. Main thread.
    static bool ovIsDarkMode(const QWidget &view);
};
