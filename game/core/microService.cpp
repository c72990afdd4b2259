#include "microService.h"

#include "coreGameDiagnostics.h"

TMicroService::TMicroService(const std::string& className)
{
    AdminLog("Microservice " + className + ": constructed.");
}

namespace {
TRunningServiceLookup& Lookup()
{
    static TRunningServiceLookup lookup;
    return lookup;
}
}  // namespace

void SetRunningServiceLookup(TRunningServiceLookup lookup) { Lookup() = std::move(lookup); }

TMicroService* FindRunningService(const std::string& name) { return Lookup() ? Lookup()(name) : nullptr; }
