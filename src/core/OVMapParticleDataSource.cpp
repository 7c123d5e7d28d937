#include "core/OVMapParticleDataSource.h"

#include "core/OVGrid.h"
#include "platform/OVDispatch.h"

#include <mutex>

namespace {

struct SharedSource
{
    std::mutex mutex;
    OVMapParticleDataSource::Factory factory;
    std::shared_ptr<OVMapParticleDataSource> source;
};

SharedSource &sharedSource()
{
    static SharedSource shared;
    return shared;
}

} // namespace

std::shared_ptr<OVMapParticleDataSource> OVMapParticleDataSource::sharedDataSource()
{
    SharedSource &shared = sharedSource();
    const std::lock_guard lock(shared.mutex);
    if (!shared.source) {
        if (shared.factory)
            shared.source = shared.factory();
        if (!shared.source)
            shared.source = std::make_shared<OVMapParticleDataSource>();
    }
    return shared.source;
}

void OVMapParticleDataSource::setFactory(Factory factory)
{
    SharedSource &shared = sharedSource();
    const std::lock_guard lock(shared.mutex);
    shared.factory = std::move(factory);
}

void OVMapParticleDataSource::fetchCurrentGridsWithCompletion(Completion completion)
{
    if (!completion)
        return;
    OVDispatch::mainAsync([completion = std::move(completion)] { completion(nullptr, nullptr, nullptr); });
}

void OVMapParticleDataSource::resetCache() {}
