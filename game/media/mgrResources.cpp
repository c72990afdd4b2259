#include "mgrResources.h"

#include "GameTextHelpers.h"
#include "clAnimBackdrop.h"
#include "clCardGraphics.h"
#include "coreGameDiagnostics.h"
#include "ioLoader.h"
#include "mgrLoaders.h"
#include "mgrSettings.h"
#include "qz7audio.h"
#include "qz7files.h"
#include "qz7fonts.h"
#include "qz7icedata.h"
#include "qz7kvdata.h"
#include "qz7texture.h"

TResourceEngine* Resources = nullptr;

namespace {
constexpr int32_t kCapacities[RES_KINDS] = {1, 32, 8, 5, 1};
constexpr const char* kMisc = "Assets\\Misc\\";

std::vector<TResourceRecord> MakeTable()
{
    static const char* const textures[] = {
        "Title2.png",       "Tileframe.png",    "Cyclebutton.png",  "Smooth.png",      "Darkmask2.png",
        "Vantorel.png",     "Shadow.png",       "Suits2.png",       "Checkers.png",    "Labels.png",
        "Plasma.png",       "Firework.png",     "PlayerIcons.png",  "ComputerIcon.png", "RemoteIcon.png",
        "Globe.png",        "Buttons.png",      "ProgressBar.png",  "Controlknob.png", "OnOffButton.png",
        "AchievePlate.png", "AchieveIcons2.png", "Shine.png",       "Smoke.png",       "Emboss.png",
        "Particle.png",     "AchieveNull.png",  "SteamButton.png",  "Multiplayer_warning.png",
        "Blackflowers.png", "AIAvatars.png"};
    static const char* const sounds[] = {"Firework.wav", "Cardplay.wav", "Trick.wav",   "Dealing.mp3",
                                         "Button.wav",   "Achieve.wav",  "Alert.mp3",   "Thump.wav"};
    static const char* const fonts[] = {"alien17.qz7", "alien20.qz7", "alien36.qz7", "narrow20.qz7",
                                        "monospace20.qz7"};
    std::vector<TResourceRecord> t;
    for (int32_t i = 0; i < 31; ++i) t.push_back({RES_TEXTURE, i + 1, 0, textures[i], kMisc});
    for (int32_t i = 0; i < 8; ++i) t.push_back({RES_SOUND, i + 1, 0, sounds[i], "Assets\\Audio\\"});
    for (int32_t i = 0; i < 5; ++i) t.push_back({RES_FONT, i + 1, 0, fonts[i], kMisc});
    t.push_back({RES_TEXTURE, TEXTURE_CARDBACK, 1, "Video.Cardback", "Cardbacks\\"});
    t.push_back({RES_BACKDROP, 1, 1, "Video.Table", "Tables\\"});
    t.push_back({RES_CARDSET, 1, 1, "Video.Cardface", "Cardsets\\"});
    return t;
}

bool IsChoiceFolder(const std::string& folder)
{
    for (const TChoiceFolder& c : ChoiceFolders())
        if (folder == c.folder) return true;
    return false;
}

const char* MaskOf(const std::string& folder)
{
    for (const TChoiceFolder& c : ChoiceFolders())
        if (folder == c.folder) return c.mask;
    return "*";
}

TQZTexture* IndexSheet()
{
    return Resources ? Resources->GetTexture(TEXTURE_INDEX_SHEET) : nullptr;
}

// The game's samples wait for its audio manager; the editor runs none, so
// its samples load whenever the framework's audio device is open.
std::function<bool()>& GameSoundsReady()
{
    static std::function<bool()> query;
    return query;
}

bool SoundsPlayable()
{
    if (EditorVariant()) return SingletonExists(QZSLOT_AUDIO) && AudioDevice()->deviceOpen;
    return GameSoundsReady() && GameSoundsReady()();
}
}  // namespace

void SetGameSoundsReady(std::function<bool()> query) { GameSoundsReady() = std::move(query); }

const std::vector<TResourceRecord>& ResourceTable()
{
    static const std::vector<TResourceRecord> table = MakeTable();
    return table;
}

const std::vector<TChoiceFolder>& ChoiceFolders()
{
    static const std::vector<TChoiceFolder> folders = {
        {"Cardbacks\\", "*.png"}, {"Cardsets\\", "*.cards"}, {"Tables\\", "*.jpg"}};
    return folders;
}

void RegisterResourcesManager()
{
    RegisterManagerClass<TResourceEngine, &Resources>(
        MGR_RESOURCES,
        DomainBit(MGR_AUDIO) | DomainBit(MGR_LOADERS) | DomainBit(MGR_SETTINGS) | DomainBit(MGR_VIDEO),
        "Resource Manager");
}

void RegisterEditorResourcesManager()
{
    RegisterManagerClass<TResourceEngine, &Resources>(MGR_RESOURCES, DomainBit(MGR_LOADERS) | DomainBit(MGR_SETTINGS),
                                                      "Resource Manager");
}

TResourceEngine::TResourceEngine() = default;

TResourceEngine::~TResourceEngine()
{
    SetIndexSheetSource(nullptr);
    for (int32_t kind : {RES_CARDSET, RES_FONT, RES_SOUND, RES_TEXTURE, RES_BACKDROP}) tables_[size_t(kind)].reset();
    if (videoGroup_ && Settings && Settings->FindNode("Video") == videoGroup_ &&
        videoGroup_->onChange == MakeMethod<&TResourceEngine::OnSettingChange>(this))
        videoGroup_->onChange = {};
}

void TResourceEngine::Initialize()
{
    for (int32_t kind = 0; kind < RES_KINDS; ++kind)
        tables_[size_t(kind)] = std::make_unique<TQZContentManager>(kCapacities[kind]);
    if (Settings) {
        videoGroup_ = Settings->GetNode("Video");
        videoGroup_->onChange = MakeMethod<&TResourceEngine::OnSettingChange>(this);
    }
    SetIndexSheetSource(&IndexSheet);
    LoadOpponentLists();
    // The editor draws none of the game's interface: what it asks for (the
    // index sheet) loads on first use, which keeps its start quick.
    if (!EditorVariant()) LoadGroup(0, false);
}

TQZContentManager* TResourceEngine::Table(int32_t kind) const
{
    return kind >= 0 && kind < RES_KINDS ? tables_[size_t(kind)].get() : nullptr;
}

const TResourceRecord* TResourceEngine::FindRecord(int32_t kind, int32_t id) const
{
    for (const TResourceRecord& r : ResourceTable())
        if (r.kind == kind && r.id == id) return &r;
    return nullptr;
}

bool TResourceEngine::IsLoaded(int32_t kind, int32_t id) const
{
    TQZContentManager* t = Table(kind);
    return t && t->Has(id);
}

void TResourceEngine::Unload(int32_t kind, int32_t id)
{
    if (!IsLoaded(kind, id)) return;
    (void)Table(kind)->Remove(id);  // loaded, so in the table
    ++unloadCount_;
}

void TResourceEngine::LoadGroup(int32_t group, bool reload)
{
    std::unique_ptr<TQZIceData> archive;
    if (group == 0) {
        // A missing archive reads as an empty one: its first texture is fatal.
        archive = TQZIceData::CreateFromFile(kPackedTexturesFile);
        if (!archive) archive = std::make_unique<TQZIceData>();
    }
    for (const TResourceRecord& r : ResourceTable()) {
        if (r.group != group) continue;
        if (reload) Unload(r.kind, r.id);
        if (IsLoaded(r.kind, r.id)) continue;
        if (r.kind == RES_TEXTURE && archive) LoadPacked(r, *archive);
        else LoadResource(r);
    }
}

void TResourceEngine::LoadPacked(const TResourceRecord& r, TQZIceData& archive)
{
    const std::string id = IntToString(r.id);
    TQZIceData* node = archive.GetChildById(uint32_t(r.id));
    if (!node) FatalError("Expected texture \"" + id + "\" in icedata; not found, terminating application.");
    WriteLog("Loading Resource \"" + std::string(r.name) + "\" from packed resource.");
    std::unique_ptr<TQZTexture> t = TQZTexture::CreateFromMemory(node->Data().Data(), node->Data().Size(), 0);
    if (!t) FatalError("Fatal error - failed to load \"" + id + " from IceData.");
    Store(r, std::move(t));
}

void TResourceEngine::EnsureLoaded(int32_t kind, int32_t id)
{
    if (IsLoaded(kind, id) || LoadFailed(kind, id)) return;
    const TResourceRecord* r = FindRecord(kind, id);
    if (!r) return;
    if (r->kind == RES_TEXTURE && r->group == 0) {
        // The interface textures live only in the archive.
        std::unique_ptr<TQZIceData> archive = TQZIceData::CreateFromFile(kPackedTexturesFile);
        if (!archive) archive = std::make_unique<TQZIceData>();
        LoadPacked(*r, *archive);
        return;
    }
    LoadResource(*r);
}

std::string TResourceEngine::ResourcePath(const TResourceRecord& r, bool warn) const
{
    const std::string folder = r.folder;
    std::string path = folder + (r.group == 1 ? SettingText(r.name) : std::string(r.name));
    if (!IsFile(path) && IsChoiceFolder(folder)) {
        if (warn) ShowWarning("Unable to load file \"" + ShownPath(path) + "\" - attempting to determine substitute file");
        std::vector<std::string> found = ListFiles(folder + MaskOf(folder), true, false, true);
        path = folder + (found.empty() ? std::string() : found.front());
    }
    if (!IsFile(path)) FatalError("Unable to load file \"" + ShownPath(path) + "\" - terminating application");
    return path;
}

void TResourceEngine::LoadResource(const TResourceRecord& r)
{
    if (IsLoaded(r.kind, r.id) || LoadFailed(r.kind, r.id)) return;
    const std::string path = ResourcePath(r, true);
    bool skipped = false;
    std::unique_ptr<TQZClass> object = LoadFile(r, path, skipped);
    if (object) Store(r, std::move(object));
    else if (!skipped) failed_.insert({r.kind, r.id});
}

std::unique_ptr<TQZClass> TResourceEngine::LoadFile(const TResourceRecord& r, const std::string& path, bool& skipped)
{
    skipped = false;
    switch (r.kind) {
    case RES_BACKDROP:
        if (auto b = TAnimatedBackdrop::Create(path)) return b;
        ShowWarning("ERROR failed to load backdrop \"" + ShownPath(path) + "\"");
        return nullptr;
    case RES_TEXTURE: {
        std::unique_ptr<TQZTexture> t;
        try {
            t = TQZTexture::CreateFromFile(path, 0, false);
        } catch (const EQZTextureError&) {
            t.reset();
        }
        if (t) return t;
        ShowWarning("ERROR failed to load texture \"" + ShownPath(path) + "\"");
        return nullptr;
    }
    case RES_SOUND:
        if (!SoundsPlayable()) {
            skipped = true;
            return nullptr;
        }
        if (auto s = LoadSound(path)) return s;
        ShowWarning("ERROR failed to load audio file \"" + ShownPath(path) + "\"");
        return nullptr;
    case RES_FONT: {
        auto f = std::make_unique<TQZFontTexture>(path);
        if (f->LoadResult() == QZRES_OK) return f;
        ShowWarning("ERROR failed to load font \"" + ShownPath(path) + "\"");
        return nullptr;
    }
    case RES_CARDSET:
        if (auto c = Loaders ? Loaders->LoadCardset(path) : nullptr) return c;
        ShowWarning("ERROR failed to load cardface \"" + ShownPath(path) + "\"");
        return nullptr;
    }
    return nullptr;
}

void TResourceEngine::Store(const TResourceRecord& r, std::unique_ptr<TQZClass> object)
{
    failed_.erase({r.kind, r.id});
    // A refusal is reported inside (ErrorResult) and the object freed: the
    // resource then reads as not loaded.
    (void)Table(r.kind)->Add(std::move(object), r.id);
}

TQZClass* TResourceEngine::Get(int32_t kind, int32_t id)
{
    TQZContentManager* t = Table(kind);
    if (!t) return nullptr;
    EnsureLoaded(kind, id);
    return t->Get(id);
}

TAnimatedBackdrop* TResourceEngine::GetBackdrop(int32_t id)
{
    return dynamic_cast<TAnimatedBackdrop*>(Get(RES_BACKDROP, id));
}

TQZTexture* TResourceEngine::GetTexture(int32_t id)
{
    return dynamic_cast<TQZTexture*>(Get(RES_TEXTURE, id));
}

TQZSound* TResourceEngine::GetSound(int32_t id)
{
    return dynamic_cast<TQZSound*>(Get(RES_SOUND, id));
}

TQZFont* TResourceEngine::GetFont(int32_t id)
{
    return dynamic_cast<TQZFont*>(Get(RES_FONT, id));
}

TCardGraphics* TResourceEngine::GetCardset()
{
    auto* cs = dynamic_cast<TCardGraphics*>(Get(RES_CARDSET, 1));
    if (cs && cs->TexturesLost()) {
        Unload(RES_CARDSET, 1);
        cs = dynamic_cast<TCardGraphics*>(Get(RES_CARDSET, 1));
    }
    return cs;
}

void TResourceEngine::OnSettingChange(TQZKeyValue* node)
{
    if (!node) return;
    AdminLog("OnSettingChange: \"" + node->GetKey() + "\"");
    const std::string path = node->GetPath();
    for (const TResourceRecord& r : ResourceTable()) {
        if (r.group == 1 && path == r.name) {
            Reload(r);
            return;
        }
    }
}

void TResourceEngine::Reload(const TResourceRecord& r)
{
    // A new choice gets its own chance; while it does not load, what was
    // shown before stays.
    failed_.erase({r.kind, r.id});
    if (!IsLoaded(r.kind, r.id)) {
        EnsureLoaded(r.kind, r.id);
        return;
    }
    bool skipped = false;
    std::unique_ptr<TQZClass> object = LoadFile(r, ResourcePath(r, true), skipped);
    if (!object) return;
    Unload(r.kind, r.id);
    Store(r, std::move(object));
}
