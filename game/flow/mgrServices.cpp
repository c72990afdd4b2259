#include "mgrServices.h"

#include "coreGameDiagnostics.h"
#include "qz7text.h"

#include <algorithm>
#include <cctype>

TServiceManager* ServiceManager = nullptr;

namespace {
std::function<void(TServiceManager&)>& DefaultServices()
{
    static std::function<void(TServiceManager&)> registrar;
    return registrar;
}

std::string Upper(std::string s)
{
    for (char& c : s) c = char(std::toupper(static_cast<unsigned char>(c)));
    return s;
}
}  // namespace

void RegisterServiceManager()
{
    RegisterManagerClass<TServiceManager, &ServiceManager>(MGR_SERVICES, 0, "Microservices Manager");
}

void SetDefaultServices(std::function<void(TServiceManager&)> registrar) { DefaultServices() = std::move(registrar); }

TServiceManager::~TServiceManager()
{
    SetRunningServiceLookup(nullptr);
    // Last started first; each service shuts down before it is freed.
    while (!running_.empty()) {
        running_.back()->Shutdown();
        running_.pop_back();
    }
}

void TServiceManager::Initialize()
{
    registry_.clear();
    running_.clear();
    if (DefaultServices()) DefaultServices()(*this);
    SetRunningServiceLookup([this](const std::string& name) { return Running(name); });
}

void TServiceManager::RegisterService(TServiceFactory factory, const std::string& name)
{
    const std::string key = Upper(name);
    for (TEntry& e : registry_)
        if (e.name == key) {
            e.factory = std::move(factory);
            return;
        }
    registry_.push_back({std::move(factory), key});
    AdminLog("Microservice \"" + key + "\" registered");
}

TMicroService* TServiceManager::Running(const std::string& name) const
{
    const std::string key = Upper(name);
    for (const auto& s : running_)
        if (s->name == key) return s.get();
    return nullptr;
}

std::vector<std::string> TServiceManager::RegisteredNames() const
{
    std::vector<std::string> names;
    for (const TEntry& e : registry_) names.push_back(e.name);
    return names;
}

void TServiceManager::LogList() const
{
    AdminLog("Running services:");
    for (const auto& s : running_) AdminLog("   " + s->name);
    AdminLog("Available services:");
    for (const TEntry& e : registry_) AdminLog("   " + e.name);
}

void TServiceManager::MarshalInstruction(const std::string& text)
{
    const size_t dot = text.find('.');
    std::string name = Upper(text.substr(0, dot));
    name = name.substr(0, name.find(' '));
    const std::string arguments = dot == std::string::npos ? std::string() : text.substr(dot + 1);
    if (name == "LIST") {
        LogList();
        return;
    }
    if (TMicroService* service = Running(name)) {
        service->Execute(arguments);
        return;
    }
    for (const TEntry& e : registry_) {
        if (e.name != name || !e.factory) continue;
        std::unique_ptr<TMicroService> service = e.factory();
        if (!service) break;
        service->name = name;
        TMicroService* started = service.get();
        running_.push_back(std::move(service));
        started->Execute(arguments);
        return;
    }
    AdminLog("Unable to marshal function \"" + text + "\": no available microservice to handle.");
}

void TServiceManager::Tick()
{
    std::vector<TMicroService*> copy;
    for (const auto& s : running_) copy.push_back(s.get());
    for (TMicroService* s : copy) s->Tick();
}
