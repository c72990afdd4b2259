// Music streams on SDL's dummy driver: a piece that ends by itself gives
// its notice on the mixer's thread; stopping, freeing or replacing a piece
// gives none.
#include "sndMusic.h"
#include "sndOutput.h"
#include "testutil.h"
#include "wavutil.h"

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

namespace snd = plat::sound;

namespace {

// Counts end notices and the threads they came on.
struct Ends {
    std::mutex lock;
    std::condition_variable cv;
    std::vector<snd::MusicHandle> handles;
    std::vector<std::thread::id> threads;

    snd::MusicEndHandler Handler()
    {
        return [this](snd::MusicHandle h) {
            std::lock_guard<std::mutex> g(lock);
            handles.push_back(h);
            threads.push_back(std::this_thread::get_id());
            cv.notify_all();
        };
    }
    // Waits for the nth notice; the dummy driver plays in real time.
    bool WaitFor(size_t n)
    {
        std::unique_lock<std::mutex> g(lock);
        return cv.wait_for(g, std::chrono::seconds(20), [&] { return handles.size() >= n; });
    }
    size_t Count()
    {
        std::lock_guard<std::mutex> g(lock);
        return handles.size();
    }
};

class MusicTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(snd::OpenLibrary());
        ASSERT_TRUE(snd::InitDevice(-1, 44100));
        vqtest::WriteFile(dir.File("short.wav"), vqtest::MakeWav(0.05));
        vqtest::WriteFile(dir.File("long.wav"), vqtest::MakeWav(20.0));
    }
    void TearDown() override { snd::CloseLibrary(); }

    vqtest::ScopedEnv driver{"SDL_AUDIODRIVER", "dummy"};
    vqtest::TempDir dir;
    Ends ends;
};

TEST(MusicMissing, NoDeviceNoMusic)
{
    EXPECT_EQ(0u, snd::OpenMusic("/nonexistent.mp3"));
    EXPECT_FALSE(snd::PlayMusic(1, false));
    EXPECT_FALSE(snd::SimulateMusicEnd());
}

TEST_F(MusicTest, APieceThatEndsByItselfTellsFromTheMixersThread)
{
    snd::MusicHandle m = snd::OpenMusic(dir.File("short.wav"));
    ASSERT_NE(0u, m);
    ASSERT_TRUE(snd::SetMusicEndHandler(m, ends.Handler()));
    ASSERT_TRUE(snd::PlayMusic(m, false));
    ASSERT_TRUE(ends.WaitFor(1));
    EXPECT_EQ(m, ends.handles[0]);
    EXPECT_NE(std::this_thread::get_id(), ends.threads[0]);
    EXPECT_FALSE(snd::MusicPlaying(m));
    EXPECT_EQ(1u, ends.Count());
}

TEST_F(MusicTest, StoppingFreeingOrReplacingGivesNoNotice)
{
    snd::MusicHandle a = snd::OpenMusic(dir.File("long.wav"));
    snd::MusicHandle b = snd::OpenMusic(dir.File("long.wav"));
    ASSERT_NE(0u, a);
    ASSERT_NE(0u, b);
    // Setup: what the test checks after it shows whether it took.
    (void)snd::SetMusicEndHandler(a, ends.Handler());
    (void)snd::SetMusicEndHandler(b, ends.Handler());
    ASSERT_TRUE(snd::PlayMusic(a, false));
    EXPECT_TRUE(snd::MusicPlaying(a));
    ASSERT_TRUE(snd::StopMusic(a));
    EXPECT_FALSE(snd::MusicPlaying(a));
    ASSERT_TRUE(snd::PlayMusic(a, true));
    ASSERT_TRUE(snd::PlayMusic(b, false));  // a stops
    EXPECT_FALSE(snd::MusicPlaying(a));
    EXPECT_TRUE(snd::MusicPlaying(b));
    ASSERT_TRUE(snd::FreeMusic(b));
    EXPECT_FALSE(snd::MusicValid(b));
    EXPECT_EQ(0u, ends.Count());
}

TEST_F(MusicTest, SimulatedEndComesLikeTheMixersOwn)
{
    snd::MusicHandle m = snd::OpenMusic(dir.File("long.wav"));
    ASSERT_NE(0u, m);
    (void)snd::SetMusicEndHandler(m, ends.Handler());  // setup: what the test checks after it shows whether it took
    EXPECT_FALSE(snd::SimulateMusicEnd()) << "nothing plays";
    ASSERT_TRUE(snd::PlayMusic(m, false));
    ASSERT_TRUE(snd::SimulateMusicEnd());
    ASSERT_EQ(1u, ends.Count());
    EXPECT_EQ(m, ends.handles[0]);
    EXPECT_NE(std::this_thread::get_id(), ends.threads[0]);
    EXPECT_FALSE(snd::MusicPlaying(m));
}

TEST_F(MusicTest, VolumeIsKeptWithinRange)
{
    snd::MusicHandle m = snd::OpenMusic(dir.File("long.wav"));
    ASSERT_TRUE(snd::SetMusicVolume(m, 0.4f));
    EXPECT_FLOAT_EQ(0.4f, snd::MusicVolume(m));
    (void)snd::SetMusicVolume(m, 3.0f);  // setup: what the test checks after it shows whether it took
    EXPECT_FLOAT_EQ(1.0f, snd::MusicVolume(m));
    EXPECT_EQ(0u, snd::OpenMusic(dir.File("missing.ogg")));
    (void)snd::FreeDevice();  // setup: what the test checks after it shows whether it took
    EXPECT_FALSE(snd::MusicValid(m)) << "the device takes its music with it";
}

}  // namespace
