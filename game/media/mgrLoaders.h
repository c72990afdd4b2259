// The cardset formats: the readers in their order of trial, and the loading
// of a cardset file through the first reader that recognises its bytes.
#pragma once

#include "coreManager.h"
#include "ioLoader.h"

#include <memory>
#include <string>
#include <vector>

class TLoaders : public TManagerClass {
public:
    void Initialize() override;
    void AddLoader(std::unique_ptr<TLoader> loader);
    // Position (from 1) of the first reader that recognises the bytes; 0 when none.
    int32_t FindLoader(const TQZMemory& memory) const;
    // The cardset of the file, or nullptr when it cannot be read, no reader
    // knows it or its reader fails. Shows nothing: callers report.
    std::unique_ptr<TCardGraphics> LoadCardset(const std::string& fileName) const;
    std::unique_ptr<TCardGraphics> LoadCardsetFromMemory(const TQZMemory& memory) const;
    int32_t Count() const { return int32_t(loaders_.size()); }
    // The reader at a position from 0, nullptr outside the list.
    TLoader* LoaderAt(int32_t index) const
    {
        return index >= 0 && index < Count() ? loaders_[size_t(index)].get() : nullptr;
    }

private:
    std::vector<std::unique_ptr<TLoader>> loaders_;
};

extern TLoaders* Loaders;
void RegisterLoadersManager();
