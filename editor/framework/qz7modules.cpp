#include "qz7modules.h"

#include <algorithm>

namespace {
bool heldBack = false;

std::vector<TQZModule*>& Modules()
{
    static std::vector<TQZModule*> modules;
    return modules;
}
}  // namespace

TQZModule::TQZModule()
{
    Modules().push_back(this);
}

TQZModule::~TQZModule()
{
    std::erase(Modules(), this);
}

void SetModuleStartHeldBack(bool value) { heldBack = value; }
bool ModuleStartHeldBack() { return heldBack; }
const std::vector<TQZModule*>& LiveModules() { return Modules(); }
