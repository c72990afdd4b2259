// The service manager: named services started on demand by a text
// instruction ("NAME.arguments") and ticked once a frame by the main loop.
#pragma once

#include "coreManager.h"
#include "microService.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

using TServiceFactory = std::function<std::unique_ptr<TMicroService>()>;

class TServiceManager : public TManagerClass {
public:
    ~TServiceManager() override;
    void Initialize() override;

    // The name is upper-cased; an entry of that name takes the new class.
    void RegisterService(TServiceFactory factory, const std::string& name);
    void MarshalInstruction(const std::string& text);
    void Tick();

    // The first running service of that name (upper case), or nothing.
    TMicroService* Running(const std::string& name) const;
    std::vector<std::string> RegisteredNames() const;
    int32_t RunningCount() const { return int32_t(running_.size()); }

private:
    struct TEntry {
        TServiceFactory factory;
        std::string name;
    };
    void LogList() const;

    std::vector<TEntry> registry_;
    std::vector<std::unique_ptr<TMicroService>> running_;
};

extern TServiceManager* ServiceManager;
void RegisterServiceManager();
// The services a program offers; called by the manager's start-up.
void SetDefaultServices(std::function<void(TServiceManager&)> registrar);
