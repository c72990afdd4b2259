#include "qz7resource.h"

#include "qz7fonts.h"
#include "qz7text.h"

// ---------------------------------------------------------------- collections

int32_t TQZResourceCollectionBase::IndexOf(const std::string& name) const
{
    for (size_t i = 0; i < names_.size(); ++i) {
        if (names_[i] == name) return int32_t(i);
    }
    return -1;
}

int32_t TQZResourceCollectionBase::IndexOfOrLoad(const std::string& name)
{
    int32_t i = IndexOf(name);
    if (i == -1 && owner_) {
        (void)owner_->LoadOnDemand(type_, name);  // what did not load is not found below
        i = IndexOf(name);
    }
    return i;
}

// ---------------------------------------------------------------- manager

TQZResourceManager* GetResourceManager()
{
    return GetInstance<TQZResourceManager>(QZSLOT_RESOURCES);
}

TQZResourceManager::TQZResourceManager() = default;

TQZResourceManager::~TQZResourceManager()
{
    descriptors_.clear();
}

TQZResourceCollectionBase* TQZResourceManager::Collection(TQZResourceType type) const
{
    auto* self = const_cast<TQZResourceManager*>(this);
    switch (type) {
    case QZRES_SURFACE: return &self->surfaces_;
    case QZRES_TEXTURE: return &self->textures_;
    case QZRES_TILESET: return &self->tilesets_;
    case QZRES_SOUND: return &self->sounds_;
    case QZRES_MUSIC: return &self->music_;
    default: return nullptr;
    }
}

int32_t TQZResourceManager::Find(TQZResourceType type, const std::string& name) const
{
    const TQZResourceCollectionBase* c = Collection(type);
    return c ? c->IndexOf(name) : -1;
}

int32_t TQZResourceManager::FindDescriptor(TQZResourceType type, const std::string& name) const
{
    for (size_t i = 0; i < descriptors_.size(); ++i) {
        if (descriptors_[i].type == type && descriptors_[i].name == name) return int32_t(i);
    }
    return -1;
}

void TQZResourceManager::AddDescriptor(TQZResourceType type, const std::string& name, const std::string& fileName,
                                       int32_t parameter, const std::string& options)
{
    descriptors_.push_back({type, name, fileName, parameter, options});
}

bool TQZResourceManager::WantsNonPowerOfTwo(const std::string& options)
{
    return UpperText(options) == "NONPOW2";
}

int32_t TQZResourceManager::LoadOnDemand(TQZResourceType type, const std::string& name)
{
    int32_t found = Find(type, name);
    if (found >= 0) return found;
    const int32_t d = FindDescriptor(type, name);
    if (d < 0) return -1;
    // A copy: loading may add descriptors.
    const TQZResourceDesc descriptor = descriptors_[size_t(d)];
    if (Load(descriptor) == QZRES_OK) return Find(type, name);
    if (raiseOnFailure)
        throw EQZResourceError("TQZResourceManager: failed to load resource \"" + descriptor.fileName + "\"");
    return -1;
}

namespace {

std::unique_ptr<TQZTexture> LoadTexture(const TQZResourceDesc& d)
{
    // Textures of any size are what this device makes: the non-power-of-two
    // option asks for nothing more here.
    try {
        return TQZTexture::CreateFromFile(d.fileName, TQZColour(d.parameter), false);
    } catch (const EQZTextureError&) {
        return nullptr;
    }
}

bool RegisterFontResource(const TQZResourceDesc& d)
{
    TQZFonts* fonts = GetFonts();
    if (!fonts) return false;
    const std::string face = d.name.substr(0, d.name.find(':'));
    if (fonts->FindFont(face, d.parameter, 0) < 0) {
        fonts->RegisterFont(d.fileName, face, d.parameter);
        if (!d.options.empty()) fonts->RegisterFontAlias(d.options, face, d.parameter);
    }
    return true;
}

}  // namespace

int32_t TQZResourceManager::Load(const TQZResourceDesc& d)
{
    if (Find(d.type, d.name) >= 0) return QZRES_OK;
    int32_t index = -1;
    switch (d.type) {
    case QZRES_SURFACE: index = surfaces_.Add(d.name, CreateSurfaceFromFile(d.fileName, QZSURFACE_MIRROR)); break;
    case QZRES_TEXTURE: index = textures_.Add(d.name, LoadTexture(d)); break;
    case QZRES_TILESET: index = tilesets_.Add(d.name, CreateTileset(d.fileName, d.parameter, 0xFFFF00FF)); break;
    case QZRES_SOUND: index = sounds_.Add(d.name, LoadSound(d.fileName)); break;
    case QZRES_MUSIC:
        if (musicLoader) index = music_.Add(d.name, musicLoader(d.fileName));
        break;
    case QZRES_FONT: return RegisterFontResource(d) ? QZRES_OK : QZRES_FAILED;
    default: break;
    }
    return index >= 0 ? QZRES_OK : QZRES_FAILED;
}
