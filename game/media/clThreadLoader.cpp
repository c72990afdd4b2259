#include "clThreadLoader.h"

#include "clCardGraphics.h"
#include "coreGameDiagnostics.h"
#include "mgrLoaders.h"
#include "mgrSettings.h"
#include "qz7files.h"
#include "qz7icedata.h"
#include "qz7kvdata.h"
#include "qz7text.h"
#include "qz7texture.h"

#include "imImage.h"

#include <algorithm>
#include <cstring>
#include <set>

namespace im = plat::imaging;

namespace {

constexpr uint32_t kStampId = 1;
constexpr int32_t kStampSize = 16;

struct TStamp {
    int64_t size = 0;
    uint32_t date = 0;
    float scale = 1.0f;
};
static_assert(sizeof(TStamp) == kStampSize);

TStamp StampOf(const std::string& path, float scale)
{
    TStamp s;
    s.size = FileSizeOf(path);
    s.date = uint32_t(FileDate(path));
    s.scale = scale;
    return s;
}

// A cached thumbnail stands for the file only while its size and date are
// those stored with it.
bool StampCurrent(TQZIceData* node, const std::string& path)
{
    TStamp stored;
    if (!node || node->ReadData(kStampId, &stored, kStampSize) != QZRES_OK) return false;
    const TStamp now = StampOf(path, stored.scale);
    return now.size == stored.size && now.date == stored.date;
}

bool IsImageExtension(const std::string& ext)
{
    return ext == "PNG" || ext == "JPG" || ext == "JPEG" || ext == "BMP" || ext == "GIF";
}

std::string UpperExtension(const std::string& fileName)
{
    std::string ext = FileExtOf(fileName);
    if (!ext.empty() && ext[0] == '.') ext.erase(0, 1);
    return UpperText(ext);
}

std::shared_ptr<TThumbnail> ThumbnailOfImage(const im::Image& image)
{
    if (image.Empty()) return nullptr;
    return std::make_shared<TThumbnail>(
        ResampleThumbnail(image.pixels.data(), image.width, image.height, image.width * 4, THUMBNAIL_SIDE));
}

std::shared_ptr<TThumbnail> DecodeThumbnail(const uint8_t* data, size_t size)
{
    im::Image image;
    if (!data || !im::DecodeImage(data, size, image)) return nullptr;
    return ThumbnailOfImage(image);
}

// An animated backdrop shows the picture its description names as "Preview".
std::shared_ptr<TThumbnail> BackdropThumbnail(const std::string& fileName)
{
    std::unique_ptr<TQZIceData> archive = TQZIceData::CreateFromFile(fileName);
    if (!archive) return nullptr;
    TQZIceData* description = archive->FindByName("Backdrop.json");
    if (!description) return nullptr;
    TQZKeyValue json;
    (void)json.ParseText(description->Data().AsString());
    const std::string preview = json.GetString("Preview");
    if (preview.empty()) return nullptr;
    TQZIceData* node = archive->FindByName(preview);
    if (!node || node->Data().Size() <= 0) return nullptr;
    return DecodeThumbnail(static_cast<const uint8_t*>(node->Data().Data()), size_t(node->Data().Size()));
}

// Needs the main thread: the readers make device textures.
std::shared_ptr<TThumbnail> CardsetThumbnail(const std::string& fileName)
{
    if (!Loaders) return nullptr;
    std::unique_ptr<TCardGraphics> cardset = Loaders->LoadCardset(fileName);
    if (!cardset) return nullptr;
    TQZTexture* card = cardset->GetImage(THUMBNAIL_CARD);
    if (!card || !card->HasTexture()) return nullptr;
    TQZTexturePixelData* data = card->PixelData();
    if (data->Lock(1) != QZRES_OK) return nullptr;
    const int32_t w = std::min(cardset->Width(), card->GetWidth());
    const int32_t h = std::min(cardset->Height(), card->GetHeight());
    std::shared_ptr<TThumbnail> thumb;
    if (w > 0 && h > 0)
        thumb = std::make_shared<TThumbnail>(ResampleThumbnail(data->Bits(), w, h, data->Pitch(), THUMBNAIL_SIDE));
    data->Unlock();
    return thumb;
}

}  // namespace

// ---------------------------------------------------------------- pixels

TThumbnail ResampleThumbnail(const uint8_t* pixels, int32_t width, int32_t height, int32_t pitch, int32_t side)
{
    TThumbnail out;
    if (!pixels || width <= 0 || height <= 0 || side <= 0) return out;
    out.width = out.height = side;
    out.pixels.assign(size_t(side) * size_t(side) * 4, 0);
    // Each target pixel averages the source block it covers (at least one pixel).
    for (int32_t ty = 0; ty < side; ++ty) {
        const int32_t y0 = int32_t(int64_t(ty) * height / side);
        const int32_t y1 = std::max(y0 + 1, int32_t(int64_t(ty + 1) * height / side));
        for (int32_t tx = 0; tx < side; ++tx) {
            const int32_t x0 = int32_t(int64_t(tx) * width / side);
            const int32_t x1 = std::max(x0 + 1, int32_t(int64_t(tx + 1) * width / side));
            uint64_t sum[4] = {0, 0, 0, 0};
            for (int32_t y = y0; y < y1; ++y) {
                const uint8_t* row = pixels + ptrdiff_t(pitch) * y + 4 * x0;
                for (int32_t x = x0; x < x1; ++x, row += 4)
                    for (int32_t c = 0; c < 4; ++c) sum[c] += row[c];
            }
            const uint64_t n = uint64_t(y1 - y0) * uint64_t(x1 - x0);
            uint8_t* dest = &out.pixels[(size_t(ty) * size_t(side) + size_t(tx)) * 4];
            for (int32_t c = 0; c < 4; ++c) dest[c] = uint8_t((sum[c] + n / 2) / n);
        }
    }
    return out;
}

std::unique_ptr<TQZTexture> ThumbnailTexture(const TThumbnail& thumbnail)
{
    if (thumbnail.width <= 0 || thumbnail.height <= 0) return nullptr;
    auto texture = std::make_unique<TQZTexture>();
    if (texture->CreateD3DTexture(thumbnail.width, thumbnail.height) != QZRES_OK) return nullptr;
    TQZTexturePixelData* data = texture->PixelData();
    if (data->Lock(0) != QZRES_OK) return nullptr;
    for (int32_t y = 0; y < thumbnail.height; ++y)
        std::memcpy(data->Bits() + ptrdiff_t(data->Pitch()) * y, &thumbnail.pixels[size_t(y) * thumbnail.width * 4],
                    size_t(thumbnail.width) * 4);
    data->Unlock();
    return texture;
}

std::string ThumbnailCacheFile(const std::string& folder)
{
    const size_t cut = folder.find_first_of("\\/");
    return UserFolder() + folder.substr(0, cut) + ".ice";
}

const std::vector<std::string>& ThumbnailMasks()
{
    static const std::vector<std::string> masks = {"*.png", "*.jpg",   "*.jpeg", "*.bmp", "*.gif",
                                                   "*.ice", "*.cards", "*.reko", "*.rkp", "*.deck"};
    return masks;
}

// ---------------------------------------------------------------- loader

struct TThreadLoader::TMainThreadJob {
    std::mutex mutex;
    std::condition_variable changed;
    bool done = false, cancelled = false;
    std::string fileName;
    std::shared_ptr<TThumbnail> result;
};

TThreadLoader::TThreadLoader(const std::string& folder, const std::vector<std::string>& masks, TItemCallback callback)
    : TThreadLoader(folder, masks, std::move(callback), ThumbnailCacheFile(folder))
{
}

TThreadLoader::TThreadLoader(const std::string& folder, const std::vector<std::string>& masks, TItemCallback callback,
                             const std::string& cacheFile)
    : TQZThread("ThreadLoader"),
      folder_(AddTrailingBackslash(folder)),
      cacheFile_(cacheFile),
      callback_(std::move(callback)),
      cache_(std::make_unique<TQZIceData>()),
      alive_(std::make_shared<TThreadLoader*>(this))
{
    for (const std::string& name : ListFilesByMasks(folder_, masks, true, false, false)) {
        TLoaderFile item;
        item.fileName = name;
        items_.push_back(std::move(item));
    }
    count_ = left_ = int32_t(items_.size());
    // A cache that does not load is started afresh.
    if (!cacheFile_.empty() && IsFile(cacheFile_) && !cache_->LoadFromFile(cacheFile_)) cache_->Reset();
}

TThreadLoader::~TThreadLoader()
{
    Stop();
    // The queued save may not have run yet: save what the thread made.
    if (!cacheSaved_ && Started()) SaveCache();
    alive_.reset();
    AdminLog("ThreadLoader destruction");
}

void TThreadLoader::Stop()
{
    Terminate();
    std::shared_ptr<TMainThreadJob> job;
    {
        TQZLock guard(lock_);
        job = job_;
    }
    if (job) {
        std::lock_guard<std::mutex> guard(job->mutex);
        job->cancelled = true;
        job->changed.notify_all();
    }
    WaitFor();
}

std::vector<TLoaderFile> TThreadLoader::GetItems() const
{
    TQZLock guard(lock_);
    return items_;
}

TLoaderFile TThreadLoader::GetItem(int32_t index) const
{
    TQZLock guard(lock_);
    return index >= 0 && index < count_ ? items_[size_t(index)] : TLoaderFile{};
}

int32_t TThreadLoader::ItemsLeft() const
{
    TQZLock guard(lock_);
    return left_;
}

int32_t TThreadLoader::DecodedCount() const
{
    TQZLock guard(lock_);
    return decoded_;
}

void TThreadLoader::Execute()
{
    while (!Terminated() && next_ < count_) LoadItem(next_++);
    // The save runs on the main thread, and only while this loader exists.
    std::weak_ptr<TThreadLoader*> token = alive_;
    Queue([token] {
        if (std::shared_ptr<TThreadLoader*> loader = token.lock()) (*loader)->SaveCache();
    });
    Queue([] { AdminLog("ThreadLoader execution complete..."); });
}

void TThreadLoader::LoadItem(int32_t index)
{
    std::string name;
    {
        TQZLock guard(lock_);
        name = items_[size_t(index)].fileName;
    }
    std::shared_ptr<TThumbnail> image;
    bool fromCache = false;
    try {
        image = FromCache(name);
        fromCache = image != nullptr;
        if (!image) {
            const std::string ext = UpperExtension(name);
            image = IsImageExtension(ext) || ext == "ICE" ? LoadThumbnail(folder_ + name)
                                                          : CardsetOnMainThread(folder_ + name);
        }
    } catch (...) {
        image.reset();
        fromCache = false;
    }
    // Stopped while the main thread was to draw it: the item stays waiting.
    if (!image && Terminated()) return;
    {
        TQZLock guard(lock_);
        TLoaderFile& item = items_[size_t(index)];
        item.image = image;
        item.state = image ? LOADER_LOADED : LOADER_FAILED;
        item.fromCache = fromCache;
        --left_;
        if (image && !fromCache) ++decoded_;
    }
    if (callback_) callback_(index);
    if (image && !fromCache) {
        try {
            StoreInCache(name, *image, 1.0f);
        } catch (...) {
            // A thumbnail that cannot be stored is simply made again next time.
        }
    }
}

std::shared_ptr<TThumbnail> TThreadLoader::LoadThumbnail(const std::string& fileName)
{
    try {
        const std::string ext = UpperExtension(fileName);
        if (IsImageExtension(ext)) {
            im::Image image;
            if (!im::DecodeImageFile(fileName, image)) return nullptr;
            return ThumbnailOfImage(image);
        }
        if (ext == "ICE") return BackdropThumbnail(fileName);
        return CardsetThumbnail(fileName);
    } catch (...) {
        return nullptr;
    }
}

std::shared_ptr<TThumbnail> TThreadLoader::FromCache(const std::string& name)
{
    std::vector<uint8_t> bytes;
    {
        TQZLock guard(lock_);
        const uint32_t id = cache_->IdOfName(name);
        TQZIceData* node = id ? cache_->GetChildById(id) : nullptr;
        if (!node || node->Data().Size() <= 0 || !StampCurrent(node, folder_ + name)) return nullptr;
        const auto* data = static_cast<const uint8_t*>(node->Data().Data());
        bytes.assign(data, data + node->Data().Size());
    }
    return DecodeThumbnail(bytes.data(), bytes.size());
}

void TThreadLoader::StoreInCache(const std::string& name, const TThumbnail& thumbnail, float scale)
{
    im::Image image;
    image.width = thumbnail.width;
    image.height = thumbnail.height;
    image.pixels = thumbnail.pixels;
    std::vector<uint8_t> jpeg;
    if (!im::EncodeImage(image, im::EncodeFormat::Jpeg, jpeg) || jpeg.empty()) return;
    const TStamp stamp = StampOf(folder_ + name, scale);
    auto node = std::make_unique<TQZIceData>();
    node->SetName(name);
    if (node->Data().AssignBytes(jpeg.data(), int32_t(jpeg.size())) != QZRES_OK) return;
    node->AddChildBuffer(kStampId, &stamp, kStampSize);
    TQZLock guard(lock_);
    uint32_t id = cache_->IdOfName(name);
    if (!id) id = cache_->NextFreeId();
    cache_->AddChild(id, std::move(node));
}

std::shared_ptr<TThumbnail> TThreadLoader::CardsetOnMainThread(const std::string& fileName)
{
    auto job = std::make_shared<TMainThreadJob>();
    job->fileName = fileName;
    {
        TQZLock guard(lock_);
        job_ = job;
    }
    Queue([job] {
        {
            std::lock_guard<std::mutex> guard(job->mutex);
            if (job->cancelled) return;
        }
        std::shared_ptr<TThumbnail> result = LoadThumbnail(job->fileName);
        std::lock_guard<std::mutex> guard(job->mutex);
        job->result = std::move(result);
        job->done = true;
        job->changed.notify_all();
    });
    std::shared_ptr<TThumbnail> result;
    {
        std::unique_lock<std::mutex> guard(job->mutex);
        job->changed.wait(guard, [&] { return job->done || job->cancelled || Terminated(); });
        if (job->done) result = job->result;
        job->cancelled = true;  // a call still queued does nothing
    }
    TQZLock guard(lock_);
    job_.reset();
    return result;
}

void TThreadLoader::SaveCache()
{
    if (cacheFile_.empty()) return;
    cacheSaved_ = true;
    TQZLock guard(lock_);
    std::set<std::string> stale;
    for (int32_t i = 1; i <= cache_->ChildCount(); ++i) stale.insert(cache_->GetChild(i)->Name());
    for (const TLoaderFile& item : items_) {
        if (!stale.count(item.fileName)) continue;
        TQZIceData* node = cache_->GetChildById(cache_->IdOfName(item.fileName));
        if (StampCurrent(node, folder_ + item.fileName)) stale.erase(item.fileName);
    }
    for (const std::string& name : stale) {
        const uint32_t id = cache_->IdOfName(name);
        if (id) cache_->DeleteChild(id);
    }
    AdminLog("Saving cache to file " + cacheFile_);
    if (!cache_->SaveToFile(cacheFile_)) AdminLog("Unable to save cache file " + cacheFile_);
}
