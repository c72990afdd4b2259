// Thumbnails of the files of one folder, made on a worker thread and kept
// between runs in an .ice cache in the per-user folder, so that a folder
// that did not change shows its thumbnails without decoding anything.
//
// The worker deals in pixels only: device textures are made on the main
// thread (the device's object lists have no lock), and so is the drawing of
// a cardset's card, which needs the loader registry and the index sheet.
#pragma once

#include "qz7threads.h"

#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

class TQZIceData;
class TQZTexture;

constexpr int32_t THUMBNAIL_SIDE = 128;
// The card a cardset's thumbnail shows (suit 2, rank 9).
constexpr int32_t THUMBNAIL_CARD = 35;

// A thumbnail's pixels: rows from the top, bytes B, G, R, A.
struct TThumbnail {
    int32_t width = 0, height = 0;
    std::vector<uint8_t> pixels;
};

// A device texture holding the thumbnail (main thread only); nullptr
// without a device.
std::unique_ptr<TQZTexture> ThumbnailTexture(const TThumbnail& thumbnail);
// BGRA pixels of any size averaged down (or stretched up) to side x side.
TThumbnail ResampleThumbnail(const uint8_t* pixels, int32_t width, int32_t height, int32_t pitch, int32_t side);

enum TLoaderFileState : int32_t { LOADER_WAITING = 0, LOADER_LOADED = 1, LOADER_FAILED = 2 };

// One item of the loader.
struct TLoaderFile {
    std::string fileName;  // without folder
    int32_t state = LOADER_WAITING;
    std::shared_ptr<const TThumbnail> image;  // nullptr until loaded, or when failed
    float scale = 1.0f;
    bool fromCache = false;
};

// "Tables\" -> UserFolder + "Tables.ice".
std::string ThumbnailCacheFile(const std::string& folder);
// The file masks of a selector, in order.
const std::vector<std::string>& ThumbnailMasks();

class TThreadLoader : public TQZThread {
public:
    using TItemCallback = std::function<void(int32_t index)>;

    // Lists the folder and loads the cache; the thread starts with Start().
    // The callback runs on the worker thread after each item. An empty
    // cache file name keeps no cache.
    TThreadLoader(const std::string& folder, const std::vector<std::string>& masks, TItemCallback callback,
                  const std::string& cacheFile);
    TThreadLoader(const std::string& folder, const std::vector<std::string>& masks, TItemCallback callback);
    ~TThreadLoader() override;

    // A copy, taken under the lock.
    std::vector<TLoaderFile> GetItems() const;
    TLoaderFile GetItem(int32_t index) const;
    int32_t Count() const { return count_; }
    int32_t ItemsLeft() const;
    const std::string& Folder() const { return folder_; }
    const std::string& CacheFile() const { return cacheFile_; }
    // Thumbnails made from their files (not from the cache) so far.
    int32_t DecodedCount() const;
    // Asks the thread to stop and waits for it; also ends a wait for the
    // main thread.
    void Stop();
    // Drops the entries of files gone or changed and writes the cache file
    // (main thread, once the worker finished).
    void SaveCache();
    bool CacheSaved() const { return cacheSaved_; }

    // The thumbnail of a file of any kind the selector lists; nullptr when it
    // cannot be made. Cardsets need the main thread.
    static std::shared_ptr<TThumbnail> LoadThumbnail(const std::string& fileName);

protected:
    void Execute() override;

private:
    struct TMainThreadJob;
    void LoadItem(int32_t index);
    std::shared_ptr<TThumbnail> FromCache(const std::string& name);
    void StoreInCache(const std::string& name, const TThumbnail& thumbnail, float scale);
    // Runs the cardset thumbnail on the main thread and waits for it, or
    // until the thread is told to stop.
    std::shared_ptr<TThumbnail> CardsetOnMainThread(const std::string& fileName);

    std::string folder_;
    std::string cacheFile_;
    TItemCallback callback_;
    std::vector<TLoaderFile> items_;
    int32_t count_ = 0;
    mutable TQZCriticalSection lock_{"ThreadLoader"};
    std::unique_ptr<TQZIceData> cache_;  // under lock_
    int32_t next_ = 0;                   // worker only
    int32_t left_ = 0;                   // under lock_
    int32_t decoded_ = 0;                // under lock_
    bool cacheSaved_ = false;            // main thread
    std::shared_ptr<TMainThreadJob> job_;  // under lock_
    // Held by the loader; the queued save checks it, so a save that runs
    // after the loader is gone does nothing.
    std::shared_ptr<TThreadLoader*> alive_;
};
