#include "coreManager.h"

#include "coreGameDiagnostics.h"

#include <vector>

const char* const kUnrealizedDependencies =
    "Unable to initialize management framework due to unrealized dependencies. \r\n";

namespace {
struct Entry {
    TManagerFactory factory = nullptr;
    TManagerPublisher publish = nullptr;
    uint32_t dependencies = 0;
    int32_t creation = 0;
    std::string description;
};

struct Registry {
    Entry entries[MGR_COUNT];
    int32_t nextCreation = 1;
    std::vector<std::function<void()>> postInit;
    std::vector<std::unique_ptr<TManagerClass>> created;  // in creation order
    std::function<void(const std::string&)> fatal;
};

Registry& R()
{
    static Registry r;
    return r;
}

bool ValidDomain(TManagerDomain d) { return d >= 0 && d < MGR_COUNT; }
}  // namespace

void RegisterManager(TManagerDomain domain, TManagerFactory factory, uint32_t dependencies,
                     const std::string& description, TManagerPublisher publish)
{
    if (!ValidDomain(domain)) return;
    Entry& e = R().entries[domain];
    e.factory = factory;
    e.publish = publish;
    e.dependencies = dependencies;
    e.description = description;
    e.creation = 0;
}

void UnregisterManager(TManagerDomain domain)
{
    if (ValidDomain(domain) && R().entries[domain].creation == 0) R().entries[domain] = Entry{};
}

void ClearManagerRegistrations(uint32_t mask)
{
    for (int32_t n = 0; n < MGR_COUNT; ++n)
        if (mask & (1u << n)) UnregisterManager(TManagerDomain(n));
}

bool IsManagerRegistered(TManagerDomain d) { return ValidDomain(d) && R().entries[d].factory != nullptr; }
bool IsManagerCreated(TManagerDomain d) { return ValidDomain(d) && R().entries[d].creation != 0; }
int32_t ManagerCreationNumber(TManagerDomain d) { return ValidDomain(d) ? R().entries[d].creation : 0; }
std::string ManagerDescription(TManagerDomain d) { return ValidDomain(d) ? R().entries[d].description : ""; }

void AddPostInitCall(std::function<void()> call) { R().postInit.push_back(std::move(call)); }

void SetManagerFatalHandler(std::function<void(const std::string&)> handler) { R().fatal = std::move(handler); }

void CreateManagers()
{
    Registry& r = R();
    std::vector<TManagerDomain> pending;
    for (int32_t d = 0; d < MGR_COUNT; ++d)
        if (r.entries[d].factory && r.entries[d].creation == 0) pending.push_back(TManagerDomain(d));
    while (!pending.empty()) {
        std::vector<TManagerDomain> still;
        for (TManagerDomain d : pending) {
            Entry& e = r.entries[d];
            bool ready = true;
            for (int32_t dep = 0; dep < MGR_COUNT; ++dep)
                if ((e.dependencies & (1u << dep)) && !IsManagerCreated(TManagerDomain(dep))) ready = false;
            if (!ready) {
                still.push_back(d);
                continue;
            }
            std::unique_ptr<TManagerClass> m = e.factory();
            m->domain_ = d;
            TManagerClass* raw = m.get();
            r.created.push_back(std::move(m));
            if (e.publish) e.publish(raw);
            e.creation = r.nextCreation++;
            raw->Initialize();
        }
        if (still.size() == pending.size()) {
            if (r.fatal) {
                r.fatal(kUnrealizedDependencies);
                return;
            }
            FatalError(kUnrealizedDependencies);
        }
        pending = std::move(still);
    }
    while (!r.postInit.empty()) {
        std::function<void()> call = std::move(r.postInit.front());
        r.postInit.erase(r.postInit.begin());
        call();
    }
}

void FreeManagers()
{
    Registry& r = R();
    while (!r.created.empty()) {
        std::unique_ptr<TManagerClass> m = std::move(r.created.back());
        r.created.pop_back();
        Entry& e = r.entries[m->Domain()];
        if (e.publish) e.publish(nullptr);
        e.creation = 0;
        m.reset();
    }
    r.nextCreation = 1;
}

void ResetManagerRegistry()
{
    FreeManagers();
    Registry& r = R();
    for (auto& e : r.entries) e = Entry{};
    r.postInit.clear();
}
