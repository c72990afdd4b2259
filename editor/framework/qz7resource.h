// The editor toolkit's named resources: surfaces, textures, tile sets,
// sounds and music, each loaded the first time it is asked for by name from
// a table of descriptors; fonts are registered with the font list. A
// singleton in slot 6, apart from the game's resource manager.
#pragma once

#include "qz7audio.h"
#include "qz7core.h"
#include "qz7surface.h"
#include "qz7texture.h"
#include "qz7texturetileset.h"

#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

enum TQZResourceType : int32_t {
    QZRES_SURFACE = 0,
    QZRES_TEXTURE = 1,
    QZRES_TILESET = 2,
    QZRES_SOUND = 3,
    QZRES_MUSIC = 4,
    QZRES_FONT = 5,
    QZRES_USER = 6,
};

struct TQZResourceDesc {
    TQZResourceType type = QZRES_USER;
    std::string name;      // asked for by this, exactly
    std::string fileName;
    int32_t parameter = 0; // colour key of a texture, tile size, font size
    std::string options;   // "NONPOW2" for textures; a font's alias
};

// Raised when a resource is asked for that cannot be had.
class EQZResourceError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class TQZResourceManager;

// The loaded resources of one kind, by name (case-sensitive), first index 0.
class TQZResourceCollectionBase : public TQZClass {
public:
    TQZResourceCollectionBase(TQZResourceManager* owner, TQZResourceType type, const char* className)
        : owner_(owner), type_(type), className_(className)
    {
    }
    int32_t IndexOf(const std::string& name) const;
    int32_t IndexOfOrLoad(const std::string& name);
    bool Contains(const std::string& name) { return IndexOfOrLoad(name) != -1; }
    int32_t Count() const { return int32_t(names_.size()); }
    TQZResourceType Type() const { return type_; }
    const char* ClassName() const { return className_; }

protected:
    std::vector<std::string> names_;
    TQZResourceManager* owner_;
    TQZResourceType type_;
    const char* className_;
};

template <class T> class TQZResourceCollection : public TQZResourceCollectionBase {
public:
    using TQZResourceCollectionBase::TQZResourceCollectionBase;
    ~TQZResourceCollection() override { Clear(); }

    // The index of the new handle; -1 (nothing added) for no object.
    [[nodiscard]] int32_t Add(const std::string& name, std::unique_ptr<T> object)
    {
        if (!object) return -1;
        names_.push_back(name);
        objects_.push_back(std::move(object));
        return int32_t(objects_.size()) - 1;
    }
    T* GetItem(int32_t index) const
    {
        return index >= 0 && index < int32_t(objects_.size()) ? objects_[size_t(index)].get() : nullptr;
    }
    // The resource, loaded on demand; the error "<class>: "<name>" not found
    // in resource descriptors" when the owner raises.
    T* Get(const std::string& name);
    // From the last to the first.
    void Clear()
    {
        while (!objects_.empty()) {
            objects_.pop_back();
            names_.pop_back();
        }
    }

private:
    std::vector<std::unique_ptr<T>> objects_;
};

// Music streams come from the editor's music player: it installs a loader.
using TQZMusicLoader = std::function<std::unique_ptr<TQZClass>(const std::string& fileName)>;

class TQZResourceManager : public TQZClassSingleton {
public:
    TQZResourceManager();
    ~TQZResourceManager() override;

    int32_t Find(TQZResourceType type, const std::string& name) const;
    bool IsLoaded(TQZResourceType type, const std::string& name) const { return Find(type, name) >= 0; }
    int32_t FindDescriptor(TQZResourceType type, const std::string& name) const;
    // The index of the resource, loading it when needed; -1 when there is no
    // descriptor, or (without the raise flag) when loading fails.
    [[nodiscard]] int32_t LoadOnDemand(TQZResourceType type, const std::string& name);
    // 0 when the resource is present or was loaded, else 1.
    [[nodiscard]] int32_t Load(const TQZResourceDesc& descriptor);
    void AddDescriptor(TQZResourceType type, const std::string& name, const std::string& fileName,
                       int32_t parameter = 0, const std::string& options = {});
    const std::vector<TQZResourceDesc>& Descriptors() const { return descriptors_; }

    TQZResourceCollection<TQZSurface>& Surfaces() { return surfaces_; }
    TQZResourceCollection<TQZTexture>& Textures() { return textures_; }
    TQZResourceCollection<TQZTileset>& Tilesets() { return tilesets_; }
    TQZResourceCollection<TQZSound>& Sounds() { return sounds_; }
    TQZResourceCollection<TQZClass>& Music() { return music_; }

    bool raiseOnFailure = true;
    TQZMusicLoader musicLoader;

    // "NONPOW2" in any case asks for a texture of any size.
    static bool WantsNonPowerOfTwo(const std::string& options);

private:
    TQZResourceCollectionBase* Collection(TQZResourceType type) const;

    std::vector<TQZResourceDesc> descriptors_;
    TQZResourceCollection<TQZSurface> surfaces_{this, QZRES_SURFACE, "TQZResourceCollectionSurface"};
    TQZResourceCollection<TQZTexture> textures_{this, QZRES_TEXTURE, "TQZResourceCollectionTexture"};
    TQZResourceCollection<TQZTileset> tilesets_{this, QZRES_TILESET, "TQZResourceCollectionTileset"};
    TQZResourceCollection<TQZSound> sounds_{this, QZRES_SOUND, "TQZResourceCollectionSound"};
    TQZResourceCollection<TQZClass> music_{this, QZRES_MUSIC, "TQZResourceCollectionMusic"};
};

// The singleton, made on first use; nullptr while the framework is stopped.
TQZResourceManager* GetResourceManager();

template <class T> T* TQZResourceCollection<T>::Get(const std::string& name)
{
    T* item = GetItem(IndexOfOrLoad(name));
    if (!item && owner_ && owner_->raiseOnFailure)
        throw EQZResourceError(std::string(className_) + ": \"" + name + "\" not found in resource descriptors");
    return item;
}
