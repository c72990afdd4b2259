#include "microService.h"

#include "coreGameDiagnostics.h"

TMicroService::TMicroService(const std::string& className)
{
    AdminLog("Microservice " + className + ": constructed.");
}
