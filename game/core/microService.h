// The base of the named services the service manager starts on demand by
// a text instruction ("NAME.arguments") and ticks once a frame. Services
// of any program build on it; the manager that runs them lives above.
#pragma once

#include "qz7core.h"

#include <functional>
#include <string>

class TMicroService : public TQZClass {
public:
    // Logs "Microservice <class>: constructed." to the admin console.
    explicit TMicroService(const std::string& className);

    virtual void Execute(const std::string& arguments) { (void)arguments; }
    virtual void Tick() {}
    // Called by the owner before the service is freed (a destructor cannot
    // reach the subclass's own).
    virtual void Shutdown() {}

    std::string name;  // upper case
};

// The running service of that name (upper case), or nullptr. The service
// manager answers while it exists, so units below it (the audio manager)
// can reach a service without starting one.
using TRunningServiceLookup = std::function<TMicroService*(const std::string& name)>;
void SetRunningServiceLookup(TRunningServiceLookup lookup);
TMicroService* FindRunningService(const std::string& name);
