#include "agGenerate.h"

#include <atomic>
#include <chrono>
#include <cstdio>
#include <exception>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <map>
#include <mutex>
#include <stdexcept>
#include <thread>

#include "agAchievements.h"
#include "agCards.h"
#include "agCardsetFile.h"
#include "agConfig.h"
#include "agEditor.h"
#include "agFonts.h"
#include "agSounds.h"
#include "agTables.h"
#include "agTextures.h"
#include "agTutorials.h"

namespace ag {

namespace {

std::string ReadSource(const std::string& dir, const std::string& name)
{
    std::ifstream in(std::filesystem::path(dir) / name, std::ios::binary);
    if (!in) throw std::runtime_error("cannot read the source " + dir + "/" + name);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

using Bytes = std::vector<uint8_t>;

// Independent pieces of work run on a few threads; each result lands in
// its own slot, so the output does not depend on which thread ran first.
class Work {
public:
    // Returns the slot the result will be in.
    size_t Add(const std::string& group, std::function<Bytes()> make)
    {
        tasks_.push_back({group, std::move(make)});
        return tasks_.size() - 1;
    }

    void Run(GenerateReport* report)
    {
        results_.assign(tasks_.size(), {});
        std::vector<double> seconds(tasks_.size(), 0);
        std::atomic<size_t> next{0};
        std::exception_ptr failure;
        std::mutex failureLock;
        auto worker = [&] {
            for (size_t i; (i = next++) < tasks_.size();) {
                auto start = std::chrono::steady_clock::now();
                try {
                    results_[i] = tasks_[i].make();
                } catch (...) {
                    std::lock_guard<std::mutex> g(failureLock);
                    if (!failure) failure = std::current_exception();
                }
                seconds[i] = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
            }
        };
        unsigned n = std::max(1u, std::min(8u, std::thread::hardware_concurrency()));
        std::vector<std::thread> threads;
        for (unsigned t = 1; t < n; ++t) threads.emplace_back(worker);
        worker();
        for (std::thread& t : threads) t.join();
        if (failure) std::rethrow_exception(failure);
        if (report) {
            std::map<std::string, double> byGroup;
            for (size_t i = 0; i < tasks_.size(); ++i) byGroup[tasks_[i].group] += seconds[i];
            for (const auto& [group, s] : byGroup) report->steps.push_back({group, s});
        }
    }

    Bytes Take(size_t slot) { return std::move(results_[slot]); }

private:
    struct Task {
        std::string group;
        std::function<Bytes()> make;
    };
    std::vector<Task> tasks_;
    std::vector<Bytes> results_;
};

// The cardset editor's pictures, cardset and font.
template <class W, class F> void AddEditorFiles(W& work, F& files)
{
    files.push_back({"Assets/Editor/Overlays_192x256.cards", work.Add("editor", [] { return OverlayCardsetFile(); })});
    files.push_back({"Assets/Editor/Overlay_White.png", work.Add("editor", [] { return WhiteCardPng(); })});
    files.push_back({"Assets/Editor/Preview256.png", work.Add("editor", [] { return CameoPreviewPng(); })});
    files.push_back({"Assets/Editor/PelmarMiniSquare10.qz7", work.Add("editor", [] { return EditorFont(); })});
}

// Faces are opened once before the threads start; cairo guards their use.
void OpenFaces()
{
    for (Face f : {Face::SansBold, Face::SansCondensedBold, Face::SerifBold, Face::Sans}) FontFace(f);
}

}  // namespace

std::vector<AssetFile> GenerateAssets(const std::string& sourceDir, GenerateReport* report)
{
    // The text files first: a missing or faulty source fails before
    // anything is drawn.
    ChoiceFiles choices;
    for (const TableStyle& t : Tables()) choices["Video.Table"].push_back(t.file);
    for (const CardsetStyle& c : Cardsets()) choices["Video.Cardface"].push_back(c.file);
    for (const CardbackStyle& b : Cardbacks()) choices["Video.Cardback"].push_back(b.file);
    std::vector<AssetFile> text = {
        {"Assets/Misc/Default.cfg", DefaultSettings(ReadSource(sourceDir, "Misc/Default.cfg"), choices)},
        {"Assets/Config/Opponents.txt", OpponentsFile(ReadNameList(ReadSource(sourceDir, "Config/Opponents.txt")))},
        {"Assets/Config/Lobbies.txt", LobbiesFile(ReadNameList(ReadSource(sourceDir, "Config/Lobbies.txt")))},
        {"Assets/Tutorials/Tutorial.json", TutorialFile(ReadSource(sourceDir, "Tutorials/Tutorial.json"))},
    };
    AchievementFiles achievements = AchievementConfigFiles(ReadSource(sourceDir, "Config/Achievements.txt"),
                                                           ReadSource(sourceDir, "Config/Statistics.txt"));
    text.push_back({"Assets/Config/Achievements.cfg", std::move(achievements.achievements)});
    text.push_back({"Assets/Config/Statistics.cfg", std::move(achievements.statistics)});
    OpenFaces();
    Work work;
    std::vector<std::pair<std::string, size_t>> files;  // path and the slot of its bytes

    std::vector<size_t> sheets;
    for (const TextureSheet& s : TextureSheets()) sheets.push_back(work.Add("textures", [&s] { return DrawTextureSheet(s); }));
    for (const FontSpec& f : FontSpecs())
        files.push_back({std::string("Assets/Misc/") + f.file, work.Add("fonts", [&f] { return RenderFont(f); })});
    std::vector<SoundLevels> levels(SoundSpecs().size());
    for (size_t i = 0; i < SoundSpecs().size(); ++i) {
        const SoundSpec& s = SoundSpecs()[i];
        files.push_back({std::string("Assets/Audio/") + s.file, work.Add("sounds", [&s, &levels, i] {
                             return MakeSound(s, &levels[i]);
                         })});
    }
    for (const SoundSpec& m : MusicSpecs())
        files.push_back({std::string("Assets/Music/") + m.file, work.Add("music", [&m] { return MakeSound(m); })});
    std::vector<std::vector<size_t>> cards;
    for (const CardsetStyle& c : Cardsets()) {
        cards.emplace_back();
        for (int32_t card = 0; card < CARD_SLOTS; ++card)
            cards.back().push_back(work.Add("cardsets", [&c, card] { return CardPng(c, card); }));
    }
    const CardsetStyle& basic = Cardsets().front();
    for (const CardbackStyle& b : Cardbacks())
        files.push_back({"Cardbacks/" + b.file, work.Add("card backs", [&b, &basic] {
                             return CardbackPng(b, basic.width, basic.height);
                         })});
    for (const TableStyle& t : Tables())
        files.push_back({"Tables/" + t.file, work.Add("tables", [&t] { return TableJpeg(t); })});
    files.push_back({"Assets/Misc/Icon.png", work.Add("icon", [] { return WindowIconPng(); })});
    files.push_back({"Assets/Tutorials/Tutorial_Frame.png", work.Add("tutorial", [] { return TutorialFramePng(); })});
    for (const TutorialPicture& p : TutorialPictures())
        files.push_back({std::string("Assets/Tutorials/") + p.file, work.Add("tutorial", [&p] {
                             return TutorialPicturePng(p);
                         })});
    AddEditorFiles(work, files);
    work.Run(report);

    std::vector<AssetFile> out;
    std::vector<Bytes> sheetPngs;
    for (size_t slot : sheets) sheetPngs.push_back(work.Take(slot));
    Bytes ice;
    if (!BuildTextureArchive(sheetPngs)->SaveToBytes(ice)) throw std::runtime_error("cannot write Textures.ice");
    out.push_back({"Assets/Misc/Textures.ice", std::move(ice)});
    for (auto& [path, slot] : files) out.push_back({path, work.Take(slot)});
    for (size_t i = 0; i < Cardsets().size(); ++i) {
        const CardsetStyle& c = Cardsets()[i];
        std::vector<Bytes> pictures;
        for (size_t slot : cards[i]) pictures.push_back(work.Take(slot));
        out.push_back({"Cardsets/" + c.file, CardsetFile(c, pictures)});
    }

    for (AssetFile& f : text) out.push_back(std::move(f));
    for (const std::string& name : EditorSceneNames()) {
        const std::string scene = EditorScene(name);
        out.push_back({"Assets/Editor/Scenes/" + name, Bytes(scene.begin(), scene.end())});
    }

    if (report)
        for (size_t i = 0; i < SoundSpecs().size(); ++i) {
            char line[128];
            std::snprintf(line, sizeof line, "%s: loudness %.1f dBFS, peak %.1f dBFS", SoundSpecs()[i].file,
                          levels[i].loudness, levels[i].peak);
            report->notes.push_back(line);
        }
    return out;
}

void WriteAssets(const std::vector<AssetFile>& files, const std::string& root)
{
    for (const AssetFile& f : files) {
        std::filesystem::path path = std::filesystem::path(root) / f.path;
        std::filesystem::create_directories(path.parent_path());
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(f.bytes.data()), std::streamsize(f.bytes.size()));
        if (!out) throw std::runtime_error("cannot write " + path.string());
    }
}

}  // namespace ag
