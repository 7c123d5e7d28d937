// Empty graph stack panel.
#include "app/NBPlaceholderGraphContainer.h"

NBPlaceholderGraphContainer::NBPlaceholderGraphContainer(QWidget *parent)
    : NBParentView(parent)
{
    setObjectName(QStringLiteral("graphContainerView"));
}

void NBPlaceholderGraphContainer::relayoutGraphs(QObject *, bool)
{
    ++mRelayoutCount;
}
