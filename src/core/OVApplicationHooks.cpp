#include "core/OVApplicationHooks.h"

#include <mutex>

namespace {

std::mutex gHooksMutex;
std::shared_ptr<OVApplicationHooks> gHooks;

} // namespace

void OVApplicationHooks::install(std::shared_ptr<OVApplicationHooks> hooks)
{
    std::lock_guard lock(gHooksMutex);
    gHooks = std::move(hooks);
}

std::shared_ptr<OVApplicationHooks> OVApplicationHooks::installed()
{
    std::lock_guard lock(gHooksMutex);
    return gHooks;
}
