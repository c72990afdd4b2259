// The managers of the game: their base class and the registry of fourteen
// domains. Each program registers its managers by explicit calls; the engine
// creates them in dependency order and frees them in reverse.
#pragma once

#include "qz7core.h"

#include <cstdint>
#include <memory>
#include <string>

enum TManagerDomain : int32_t {
    MGR_AI = 0,
    MGR_ACHIEVEMENTS = 1,
    MGR_AUDIO = 2,
    MGR_GAMEFLOW = 3,
    MGR_LOADERS = 4,
    MGR_RESOURCES = 5,
    MGR_SESSION = 6,
    MGR_SETTINGS = 7,
    MGR_STATES = 8,
    MGR_TIMERS = 9,
    MGR_SERVICES = 10,
    MGR_STEAM = 11,
    MGR_MULTIPLAYER = 12,
    MGR_VIDEO = 13,
};
constexpr int32_t MGR_COUNT = 14;
constexpr uint32_t DomainBit(TManagerDomain d) { return 1u << d; }

class TManagerClass : public TQZClass {
public:
    TManagerDomain Domain() const { return domain_; }
    // The manager's own start-up; its global is already published.
    virtual void Initialize() = 0;

private:
    friend void CreateManagers();
    TManagerDomain domain_ = MGR_AI;
};

using TManagerFactory = std::unique_ptr<TManagerClass> (*)();
using TManagerPublisher = void (*)(TManagerClass* instance);

void RegisterManager(TManagerDomain domain, TManagerFactory factory, uint32_t dependencies,
                     const std::string& description, TManagerPublisher publish);

// Registers T for the domain; its global is the pointer given.
template <class T, T** Global>
void RegisterManagerClass(TManagerDomain domain, uint32_t dependencies, const std::string& description)
{
    RegisterManager(
        domain, []() -> std::unique_ptr<TManagerClass> { return std::make_unique<T>(); }, dependencies,
        description, [](TManagerClass* m) { *Global = static_cast<T*>(m); });
}

// Removes a registration (the editor drops the managers it does not run).
void UnregisterManager(TManagerDomain domain);
// Removes the registration of every domain whose bit (1 << domain, domains
// 0 to 13) is set in the mask.
void ClearManagerRegistrations(uint32_t mask);
// The managers the editor does not run: game flow, session, services, Steam
// and multiplayer.
inline constexpr uint32_t kEditorDroppedManagers = 0x1C48;
bool IsManagerRegistered(TManagerDomain domain);
bool IsManagerCreated(TManagerDomain domain);
int32_t ManagerCreationNumber(TManagerDomain domain);
std::string ManagerDescription(TManagerDomain domain);
void AddPostInitCall(std::function<void()> call);
// Creates every registered manager in dependency order, then drains the
// post-initialisation calls. Unmeetable dependencies are fatal.
void CreateManagers();
// Frees the created managers, the last created first.
void FreeManagers();
// Frees the managers and forgets every registration (tests, shut-down).
void ResetManagerRegistry();

// The text of the fatal error for dependencies that can never be met.
extern const char* const kUnrealizedDependencies;
// Where the fatal error goes; tests replace it to observe it.
void SetManagerFatalHandler(std::function<void(const std::string&)> handler);
