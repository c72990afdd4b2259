#include "mgrLoaders.h"

#include "clCardGraphics.h"
#include "ioCardset.h"
#include "qz7memory.h"

TLoaders* Loaders = nullptr;

void RegisterLoadersManager()
{
    RegisterManagerClass<TLoaders, &Loaders>(MGR_LOADERS, 0, "Cardset Formats");
}

void TLoaders::Initialize()
{
    // The game's own format is tried first; the foreign deck formats follow
    // it in their fixed order once they are built.
    loaders_.clear();
    AddLoader(std::make_unique<TLoaderCardset>());
}

void TLoaders::AddLoader(std::unique_ptr<TLoader> loader)
{
    if (loader) loaders_.push_back(std::move(loader));
}

int32_t TLoaders::FindLoader(const TQZMemory& memory) const
{
    for (size_t i = 0; i < loaders_.size(); ++i)
        if (loaders_[i]->Detect(memory)) return int32_t(i + 1);
    return 0;
}

std::unique_ptr<TCardGraphics> TLoaders::LoadCardsetFromMemory(const TQZMemory& memory) const
{
    int32_t found = FindLoader(memory);
    return found ? loaders_[size_t(found - 1)]->Load(memory) : nullptr;
}

std::unique_ptr<TCardGraphics> TLoaders::LoadCardset(const std::string& fileName) const
{
    std::unique_ptr<TQZMemory> memory = TQZMemory::CreateFromFile(fileName);
    return memory ? LoadCardsetFromMemory(*memory) : nullptr;
}
