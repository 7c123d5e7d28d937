// The graph views keep their last rendering for Qt's own repaints and drop it when the picture
// changes; mouse moves set the hover position only with read-outs on, and always reach the parent.
#include "core/OVTextAttributes.h"
#include "graphs/OVGraphLegendView.h"
#include "graphs/OVGraphView.h"
#include "support/draw_test_util.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QMouseEvent>

namespace {

void renderOnce(QWidget &view)
{
    QImage image = transparentImage(view.width(), view.height());
    view.render(&image);
}

} // namespace

TEST(OVKeptRenderingView, SettersAndHoverDropTheKeptRenderingOfTheGraphAndItsOverlays)
{
    OVGraphView graph;
    OVGraphLegendView legend;
    graph.resize(60, 40);
    legend.resize(60, 40);
    graph.setBackgroundColor(Qt::red);
    graph.setOverlayViews({&legend});
    renderOnce(graph);
    renderOnce(legend);
    EXPECT_TRUE(graph.hasKeptRendering());
    EXPECT_TRUE(legend.hasKeptRendering());

    graph.setStroke(true);
    EXPECT_FALSE(graph.hasKeptRendering());
    EXPECT_TRUE(legend.hasKeptRendering());

    renderOnce(graph);
    graph.setHoverOverX(10);
    EXPECT_FALSE(graph.hasKeptRendering());
    EXPECT_FALSE(legend.hasKeptRendering());

    renderOnce(legend);
    legend.setYRange(OVGraphRangeMake(0, 5));
    EXPECT_FALSE(legend.hasKeptRendering());
}

TEST(OVKeptRenderingView, MouseMovesSetTheHoverOnlyWithReadOutsAndAreLeftToTheParent)
{
    OVGraphView graph;
    graph.resize(100, 50);
    const auto move = [&graph](QPointF at) {
        QMouseEvent event(QEvent::MouseMove, at, graph.mapToGlobal(at), Qt::NoButton, Qt::NoButton, Qt::NoModifier);
        QCoreApplication::sendEvent(&graph, &event);
        return event.isAccepted();
    };
    EXPECT_FALSE(move(QPointF(30, 20)));
    EXPECT_EQ(graph.hoverOverX(), -1.0);

    graph.setHoverTextAttributes({{OVForegroundColorAttributeName, QColor(Qt::white)}});
    EXPECT_FALSE(move(QPointF(30, 20)));
    EXPECT_EQ(graph.hoverOverX(), 30.0);
    move(QPointF(30, 60)); // below the graph
    EXPECT_EQ(graph.hoverOverX(), -1.0);
}
