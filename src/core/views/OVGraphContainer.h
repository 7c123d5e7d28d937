// The stack of graph panels in the main window, as the main window's layout uses it: a widget
// to place, and a relayout of its graphs after the window or the shown graphs changed.
// The graphs subsystem implements it; the shell holds one. Main thread.
#pragma once

class QObject;
class QWidget;

class OVGraphContainer
{
public:
    virtual ~OVGraphContainer() = default;

    /// The container's widget (a child of the main view).
    virtual QWidget *view() = 0;
    /// Recomputes the heights and positions of the graph panels; animated when asked.
    virtual void relayoutGraphs(QObject *sender, bool animate) = 0;
};
