#include "map/layers/OVMapLayer.h"

#include "map/OVMapControllerInterface.h"
#include "map/OVMapSupportedView.h"
#include "map/gl/OVCurrentGL.h"
#include "platform/OVLog.h"

#include <QOpenGLContext>
#include <QOpenGLFunctions>

#include <cxxabi.h>
#include <typeinfo>

OVMapLayer::OVMapLayer(OVMapControllerInterface *mapController, std::shared_ptr<OVTextureLoader> textureLoader)
    : mMapController(mapController)
    , mTextureLoader(std::move(textureLoader))
{
}

OVMapLayer::~OVMapLayer()
{
    const std::shared_ptr<OVTextureLoader> loader = textureLoader();
    const std::optional<QString> pattern = texturePatternForCleanup();
    if (loader && pattern)
        loader->deleteTexturesWithKeyMatchingPattern(pattern, 0.0);
}

QString OVMapLayer::description() const
{
    const char *mangled = typeid(*this).name();
    int status = 0;
    char *demangled = abi::__cxa_demangle(mangled, nullptr, nullptr, &status);
    const QString name = QString::fromLatin1(status == 0 && demangled ? demangled : mangled);
    std::free(demangled);
    return QStringLiteral("<%1 elevation(%2)  resolution:(%3 - %4)>")
        .arg(name)
        .arg(mElevation, 0, 'e', 6)
        .arg(mMinDisplayResolution, 0, 'e', 6)
        .arg(mMaxDisplayResolution, 0, 'e', 6);
}

bool OVMapLayer::shouldDraw() const
{
    if (mDisable)
        return false;
    const OVMapSupportedView *view = mMapController ? mMapController->view() : nullptr;
    if (!view)
        return false;
    const double scale = layerScaleFactor();
    const double resolution = view->resolutionPixelsPerDegree();
    if (mMinDisplayResolution / scale > resolution)
        return false;
    if (resolution > mMaxDisplayResolution / scale)
        return false;
    return true;
}

bool OVMapLayer::smoothPointsAllowedForRenderer(const QString &renderer)
{
    for (const char *model : {"7300", "7600", "3100"}) {
        if (renderer.contains(QLatin1String(model)))
            return false;
    }
    return true;
}

bool OVMapLayer::shouldSmoothPoints()
{
    if (mHaveCheckedSmoothPointCompatibility)
        return mSmoothPointCompatible;
    mSmoothPointCompatible = true;
    if (QOpenGLContext *context = QOpenGLContext::currentContext()) {
        const auto *renderer = reinterpret_cast<const char *>(context->functions()->glGetString(GL_RENDERER));
        const QString name = QString::fromLatin1(renderer ? renderer : "");
        OVDebugLog(QStringLiteral("Found GPU: %1").arg(name));
        mSmoothPointCompatible = smoothPointsAllowedForRenderer(name);
    }
    mHaveCheckedSmoothPointCompatibility = true;
    return mSmoothPointCompatible;
}

void OVMapLayer::deleteBufferOfGroup(uint32_t buffer, QOpenGLContextGroup *group) const
{
    if (buffer == 0 || !group)
        return;
    QOpenGLContext *current = QOpenGLContext::currentContext();
    if (current && current->shareGroup() == group) {
        if (QOpenGLFunctions_2_1 *gl = OVCurrentGLFunctions())
            gl->glDeleteBuffers(1, &buffer);
        return;
    }
    const std::shared_ptr<OVTextureLoader> loader = textureLoader();
    if (loader && loader->context() && loader->context()->shareGroup() == group)
        loader->queueDeleteBufferJob(buffer);
}

double OVMapLayer::layerScaleFactor() const
{
    const OVMapSupportedView *view = mMapController ? mMapController->view() : nullptr;
    return view ? view->devicePixelRatioF() : 1.0;
}

void OVMapLayer::redrawViewOf(OVMapControllerInterface *controller)
{
    if (OVMapSupportedView *view = controller ? controller->view() : nullptr)
        view->redraw();
}

void OVMapLayer::cleanupMemory()
{
    if (const std::shared_ptr<OVTextureLoader> loader = textureLoader())
        loader->deleteTexturesWithKeyMatchingPattern(texturePatternForCleanup(), kCleanupGraceInterval);
}

OVGeoRect OVMapLayer::layerRect() const
{
    std::lock_guard lock(mPropertyMutex);
    return mLayerRect;
}

void OVMapLayer::setLayerRect(const OVGeoRect &rect)
{
    std::lock_guard lock(mPropertyMutex);
    mLayerRect = rect;
}

std::shared_ptr<OVTextureLoader> OVMapLayer::textureLoader() const
{
    std::lock_guard lock(mPropertyMutex);
    return mTextureLoader;
}

void OVMapLayer::setTextureLoader(std::shared_ptr<OVTextureLoader> loader)
{
    std::lock_guard lock(mPropertyMutex);
    mTextureLoader = std::move(loader);
}

std::optional<QString> OVMapLayer::texturePatternForCleanup() const
{
    std::lock_guard lock(mPropertyMutex);
    return mTexturePatternForCleanup;
}

void OVMapLayer::setTexturePatternForCleanup(const std::optional<QString> &pattern)
{
    std::lock_guard lock(mPropertyMutex);
    mTexturePatternForCleanup = pattern;
}
