// Modules: long-lived services of the editor's application object. A
// module initialises itself as soon as it is made, unless module start-up
// is held back for the whole process; every live module is listed.
#pragma once

#include "qz7core.h"

#include <memory>
#include <vector>

class TQZModule : public TQZClass {
public:
    TQZModule();
    ~TQZModule() override;
    TQZModule(const TQZModule&) = delete;
    TQZModule& operator=(const TQZModule&) = delete;

    // Marks the module initialised; subclasses start their service here.
    virtual void Initialise() { initialised_ = true; }
    bool Initialised() const { return initialised_; }

protected:
    bool initialised_ = false;
};

// Process-wide: while held back, new modules wait for an explicit Initialise.
void SetModuleStartHeldBack(bool heldBack);
bool ModuleStartHeldBack();
// The modules alive now, in creation order.
const std::vector<TQZModule*>& LiveModules();

// Makes a module and initialises it unless start-up is held back (a
// constructor cannot reach the subclass's Initialise).
template <class T, class... A> std::unique_ptr<T> CreateModule(A&&... args)
{
    auto module = std::make_unique<T>(std::forward<A>(args)...);
    if (!ModuleStartHeldBack()) module->Initialise();
    return module;
}
