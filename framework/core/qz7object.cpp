#include "qz7object.h"

// ---------------------------------------------------------------- TQZClass
TQZClass::~TQZClass()
{
    if (!owned_.empty()) FreeOwned();
}

void TQZClass::AddOwned(TQZClass* object)
{
    owned_.push_back(object);
}

void TQZClass::AddOwnedArray(std::initializer_list<TQZClass*> objects)
{
    for (TQZClass* o : objects) AddOwned(o);
}

bool TQZClass::RemoveOwned(TQZClass* object)
{
    for (size_t i = 0; i < owned_.size(); ++i) {
        if (owned_[i] == object) {
            owned_[i] = owned_.back();
            owned_.pop_back();
            return true;
        }
    }
    return false;
}

void TQZClass::FreeOwned()
{
    // Last added first; each slot is cleared before its object goes, so an
    // object that removes itself from its owner while dying finds nothing.
    for (size_t i = owned_.size(); i-- > 0;) {
        if (i >= owned_.size()) continue;
        TQZClass* o = owned_[i];
        owned_[i] = nullptr;
        delete o;  // the owned array is the framework's ownership rule
    }
    owned_.clear();
}
