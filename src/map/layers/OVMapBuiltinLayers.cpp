#include "map/layers/OVMapBuiltinLayers.h"

#include "map/layers/OVMapLayerFactory.h"
#include "map/layers/OVMapTextLayer.h"
#include "map/layers/OVMapVectorLayers.h"

void OVMapRegisterVectorAndTextLayers(OVMapLayerFactory &factory)
{
    factory.registerBuilder(OVMapLayerKind::BoundaryLines,
                            [](const OVMapLayerConfiguration &configuration, OVMapControllerInterface *controller,
                               const std::shared_ptr<OVTextureLoader> &loader) -> std::shared_ptr<OVMapLayer> {
                                auto layer =
                                    std::make_shared<OVMapLinesLayer>(controller, loader, configuration.boundaryFile);
                                layer->setLineColorRed(float(configuration.lineRed));
                                layer->setLineColorGreen(float(configuration.lineGreen));
                                layer->setLineColorBlue(float(configuration.lineBlue));
                                layer->setLineColorAlpha(float(configuration.alpha));
                                layer->setLineWidth(float(configuration.lineWidth));
                                return layer;
                            });
    factory.registerBuilder(OVMapLayerKind::Grid,
                            [](const OVMapLayerConfiguration &configuration, OVMapControllerInterface *controller,
                               const std::shared_ptr<OVTextureLoader> &loader) -> std::shared_ptr<OVMapLayer> {
                                auto layer = std::make_shared<OVMapGridLayer>(controller, loader);
                                layer->setGridColorAlpha(configuration.gridColorAlpha);
                                return layer;
                            });
    factory.registerBuilder(OVMapLayerKind::Placemark,
                            [](const OVMapLayerConfiguration &, OVMapControllerInterface *controller,
                               const std::shared_ptr<OVTextureLoader> &loader) -> std::shared_ptr<OVMapLayer> {
                                return std::make_shared<OVMapPlacemarkLayer>(controller, loader);
                            });
    factory.registerBuilder(OVMapLayerKind::Text,
                            [](const OVMapLayerConfiguration &configuration, OVMapControllerInterface *controller,
                               const std::shared_ptr<OVTextureLoader> &loader) -> std::shared_ptr<OVMapLayer> {
                                auto layer = std::make_shared<OVMapTextLayer>(controller, loader);
                                layer->setCheckOverlappingStrings(configuration.checkOverlappingStrings);
                                return layer;
                            });
}
