// Every drawable, playable and font resource of the game, by kind and a
// small id: the packed interface textures, sounds, fonts, and the three
// resources the user chooses by setting (card back, table, cardset), which
// are loaded again when their setting changes.
#pragma once

#include "arcqz7content.h"
#include "coreManager.h"

#include <array>
#include <functional>
#include <memory>
#include <set>
#include <string>
#include <utility>
#include <vector>

class TAnimatedBackdrop;
class TCardGraphics;
class TQZFont;
class TQZIceData;
class TQZKeyValue;
class TQZSound;
class TQZTexture;

enum TResourceKind : int32_t {
    RES_BACKDROP = 0,
    RES_TEXTURE = 1,
    RES_SOUND = 2,
    RES_FONT = 3,
    RES_CARDSET = 4,
};
constexpr int32_t RES_KINDS = 5;

// Group 0 loads at start-up; group 1 names a setting whose value is the file.
struct TResourceRecord {
    TResourceKind kind;
    int32_t id;
    int32_t group;
    const char* name;
    const char* folder;
};

// The 47 rows, in load order.
const std::vector<TResourceRecord>& ResourceTable();

constexpr const char* kPackedTexturesFile = "Assets\\Misc\\Textures.ice";
// Textures the game's own code draws from by id.
constexpr int32_t TEXTURE_INDEX_SHEET = 10;
constexpr int32_t TEXTURE_CARDBACK = 32;

// A folder a user's choice comes from, with the files it offers.
struct TChoiceFolder {
    const char* folder;
    const char* mask;
};
const std::vector<TChoiceFolder>& ChoiceFolders();

class TResourceEngine : public TManagerClass {
public:
    TResourceEngine();
    ~TResourceEngine() override;
    void Initialize() override;

    void LoadGroup(int32_t group, bool reload);
    void EnsureLoaded(int32_t kind, int32_t id);
    // The object, loading it first; nullptr when it did not load or no
    // record names it.
    TQZClass* Get(int32_t kind, int32_t id);
    TAnimatedBackdrop* GetBackdrop(int32_t id);
    TQZTexture* GetTexture(int32_t id);
    TQZSound* GetSound(int32_t id);
    TQZFont* GetFont(int32_t id);
    // The current cardset, loaded again first when its textures lost their
    // contents.
    TCardGraphics* GetCardset();
    bool IsLoaded(int32_t kind, int32_t id) const;
    void Unload(int32_t kind, int32_t id);
    // The change handler of the "Video" settings group.
    void OnSettingChange(TQZKeyValue* node);

    int32_t UnloadCount() const { return unloadCount_; }
    // A load of this resource failed and is not tried again until its
    // setting changes.
    bool LoadFailed(int32_t kind, int32_t id) const { return failed_.count({kind, id}) != 0; }

private:
    TQZContentManager* Table(int32_t kind) const;
    const TResourceRecord* FindRecord(int32_t kind, int32_t id) const;
    std::string ResourcePath(const TResourceRecord& record, bool warn) const;
    void LoadResource(const TResourceRecord& record);
    void LoadPacked(const TResourceRecord& record, TQZIceData& archive);
    // The object of the file, or nullptr after its warning.
    std::unique_ptr<TQZClass> LoadFile(const TResourceRecord& record, const std::string& path, bool& skipped);
    void Store(const TResourceRecord& record, std::unique_ptr<TQZClass> object);
    void Reload(const TResourceRecord& record);

    std::array<std::unique_ptr<TQZContentManager>, RES_KINDS> tables_;
    std::set<std::pair<int32_t, int32_t>> failed_;
    int32_t unloadCount_ = 0;
    TQZKeyValue* videoGroup_ = nullptr;
};

extern TResourceEngine* Resources;
// Whether the game's audio manager will play sounds (the resources load the
// game's samples only then). The audio manager sets it while it exists, so
// this module needs nothing of it; unset, the answer is no.
void SetGameSoundsReady(std::function<bool()> query);
void RegisterResourcesManager();
// The editor's registration: it runs neither the game's audio nor its video
// manager. Under the editor nothing loads at start; each resource loads when
// first asked for.
void RegisterEditorResourcesManager();
