// The graph stack's place in the main window until the graphs are built: an empty panel that
// answers the container interface (a relayout only counts itself). Main thread.
#pragma once

#include "core/views/NBParentView.h"
#include "core/views/OVGraphContainer.h"

class NBPlaceholderGraphContainer : public NBParentView, public OVGraphContainer
{
    Q_OBJECT

public:
    explicit NBPlaceholderGraphContainer(QWidget *parent = nullptr);

    QWidget *view() override { return this; }
    void relayoutGraphs(QObject *sender, bool animate) override;

    int relayoutCount() const { return mRelayoutCount; }

private:
    int mRelayoutCount = 0;
};
