// The factory builds the boundary lines, grid, placemark and label layers from the controller's
// configurations; label records become place labels.
#include "map/layers/OVMapBuiltinLayers.h"
#include "map/layers/OVMapLayerFactory.h"
#include "map/layers/OVMapTextLayer.h"
#include "map/layers/OVMapVectorLayers.h"
#include "map/gl/OVTextureRegistry.h"

#include "support/FakeMapView.h"

#include <gtest/gtest.h>

namespace {

TEST(MapBuiltinLayers, TheFactoryBuildsEachKindWithItsConfiguration)
{
    OVMapLayerFactory factory;
    OVMapRegisterVectorAndTextLayers(factory);
    FakeMapController controller;
    OVTextureRegistry registry;
    auto loader = std::make_shared<OVTextureLoader>(nullptr, registry);

    OVMapLayerConfiguration lines;
    lines.kind = OVMapLayerKind::BoundaryLines;
    lines.boundaryFile = QStringLiteral("/nonexistent/boundaries_i.txt");
    lines.lineWidth = 2.8;
    lines.lineRed = lines.lineGreen = lines.lineBlue = 0.1;
    lines.alpha = 0.9;
    lines.elevation = OVMapElevation::kBoundaries;
    const std::shared_ptr<OVMapLayer> built = factory.build(lines, &controller, loader);
    auto *linesLayer = dynamic_cast<OVMapLinesLayer *>(built.get());
    ASSERT_NE(linesLayer, nullptr);
    EXPECT_FLOAT_EQ(linesLayer->lineWidth(), 2.8f);
    EXPECT_FLOAT_EQ(linesLayer->lineColorGreen(), 0.1f);
    EXPECT_FLOAT_EQ(linesLayer->lineColorAlpha(), 0.9f);
    EXPECT_DOUBLE_EQ(linesLayer->elevation(), OVMapElevation::kBoundaries);

    OVMapLayerConfiguration grid;
    grid.kind = OVMapLayerKind::Grid;
    grid.type = OVMapLayerType::Grid;
    grid.gridColorAlpha = 0.5;
    const std::shared_ptr<OVMapLayer> gridLayer = factory.build(grid, &controller, loader);
    ASSERT_NE(dynamic_cast<OVMapGridLayer *>(gridLayer.get()), nullptr);
    EXPECT_DOUBLE_EQ(static_cast<OVMapGridLayer &>(*gridLayer).gridColorAlpha(), 0.5);

    OVMapLayerConfiguration placemarks;
    placemarks.kind = OVMapLayerKind::Placemark;
    placemarks.type = OVMapLayerType::Placemark;
    EXPECT_NE(dynamic_cast<OVMapPlacemarkLayer *>(factory.build(placemarks, &controller, loader).get()), nullptr);

    OVMapLayerConfiguration text;
    text.kind = OVMapLayerKind::Text;
    text.type = OVMapLayerType::Text;
    text.checkOverlappingStrings = true;
    const std::shared_ptr<OVMapLayer> textLayer = factory.build(text, &controller, loader);
    auto *labels = dynamic_cast<OVMapTextLayer *>(textLayer.get());
    ASSERT_NE(labels, nullptr);
    EXPECT_TRUE(labels->checkOverlappingStrings());
    EXPECT_NE(dynamic_cast<OVMapTextLayerControl *>(textLayer.get()), nullptr);
}

TEST(MapBuiltinLayers, LabelRecordsBecomeOutlinedBoldLabelsWithADot)
{
    OVTextureRegistry registry;
    auto loader = std::make_shared<OVTextureLoader>(nullptr, registry);
    OVMapTextLayer layer(nullptr, loader);
    OVMapLabelRecord record;
    record.text = QStringLiteral("Denver");
    record.fontSize = 15.0;
    record.textColor = QColor(255, 255, 255, 217);
    record.strokeColor = QColor(0, 0, 0, 230);
    record.strokeWidth = 20.0;
    record.point = OVGeoPointMake(39.74, -104.98);
    static_cast<OVMapTextLayerControl &>(layer).setStrings(QList<OVMapLabelRecord>{record});
    ASSERT_EQ(layer.strings().size(), 1);
    const OVMapAttributedStringPtr label = layer.strings().front();
    EXPECT_EQ(label->string(), record.text);
    ASSERT_TRUE(label->font().has_value());
    EXPECT_TRUE(label->font()->bold());
    EXPECT_DOUBLE_EQ(label->font()->pointSizeF(), 15.0);
    EXPECT_EQ(label->color(), record.textColor);
    EXPECT_EQ(label->strokeColor(), record.strokeColor);
    EXPECT_DOUBLE_EQ(label->strokeWidth(), 20.0);
    EXPECT_TRUE(label->plotPoint());
    EXPECT_EQ(label->geoPoint(), record.point);
    EXPECT_EQ(label->textureLoader(), loader);
}

} // namespace
