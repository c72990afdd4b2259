// The base of the named services the service manager starts on demand by
// a text instruction ("NAME.arguments") and ticks once a frame. Services
// of any program build on it; the manager that runs them lives above.
#pragma once

#include "qz7core.h"

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
