// Registers the builders of the boundary lines, grid, placemark and place-label layers with a
// layer factory. The application calls it once at start, before the map controller builds
// its layers (a static registration would be dropped by the linker from the map library).
#pragma once

class OVMapLayerFactory;

void OVMapRegisterVectorAndTextLayers(OVMapLayerFactory &factory);
