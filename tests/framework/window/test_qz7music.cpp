// Streamed music and the playlist: load results, the end of a piece handed
// to the main thread (and dropped when a stop overtook it), wrapping,
// shuffling with an injected source, missing files and volume.
#include "qz7audio.h"
#include "sndMusic.h"
#include "testutil.h"
#include "wavutil.h"

#include <gtest/gtest.h>

#include <deque>

namespace snd = plat::sound;

namespace {

class MusicQueueTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        for (const char* name : {"a.wav", "b.wav", "c.wav"}) vqtest::WriteFile(dir.File(name), vqtest::MakeWav(20.0));
        FrameworkStart("test");
        ASSERT_EQ(QZRES_OK, AudioDevice()->InitDevice(-1, 44100));
    }
    void TearDown() override { FrameworkStop(); }
    std::string Playing(const TQZMusicQueue& q) { return q.Current() ? q.Items()[size_t(q.Position())] : "-"; }

    vqtest::ScopedEnv driver{"SDL_AUDIODRIVER", "dummy"};
    vqtest::TempDir dir;
};

TEST_F(MusicQueueTest, LoadMusicResults)
{
    std::unique_ptr<TQZMusic> m;
    EXPECT_EQ(QZRES_BADARG, LoadMusic("", m));
    EXPECT_EQ(QZRES_NOFILE, LoadMusic(dir.File("missing.mp3"), m));
    vqtest::WriteFile(dir.File("junk.mp3"), "not music at all");
    EXPECT_EQ(QZRES_FAILED, LoadMusic(dir.File("junk.mp3"), m));
    EXPECT_EQ(nullptr, m);
    EXPECT_EQ(QZRES_OK, LoadMusic(dir.File("a.wav"), m));
    ASSERT_NE(nullptr, m);
    AudioDevice()->FreeDevice();
    EXPECT_EQ(QZRES_AUDIO_NODEVICE, m->Play(false));
    EXPECT_EQ(QZRES_AUDIO_NODEVICE, LoadMusic(dir.File("a.wav"), m));
}

TEST_F(MusicQueueTest, TheEndOfAPieceMovesTheListOnFromTheMainThread)
{
    TQZMusicQueue q;
    q.Add(dir.File("a.wav"));
    q.Add(dir.File("b.wav"));
    q.PlayNext();
    ASSERT_TRUE(q.IsPlaying());
    EXPECT_EQ(dir.File("a.wav"), Playing(q));
    TQZMusic* first = q.Current();
    ASSERT_TRUE(snd::SimulateMusicEnd());  // the mixer's thread hears the end
    EXPECT_EQ(first, q.Current()) << "nothing changes on the mixer's thread";
    ProcessSynchronize();
    EXPECT_EQ(dir.File("b.wav"), Playing(q));
    EXPECT_TRUE(q.Current()->Playing());
    ASSERT_TRUE(snd::SimulateMusicEnd());
    ProcessSynchronize();
    EXPECT_EQ(dir.File("a.wav"), Playing(q)) << "round to the first again";
    EXPECT_EQ(0, q.Position());
}

TEST_F(MusicQueueTest, StopBeforeTheEndNoticeRunsKeepsTheMusicStopped)
{
    TQZMusicQueue q;
    q.Add(dir.File("a.wav"));
    q.Add(dir.File("b.wav"));
    q.PlayNext();
    ASSERT_TRUE(snd::SimulateMusicEnd());
    q.Stop();  // the notice is on its way to the main thread
    ProcessSynchronize();
    EXPECT_FALSE(q.IsPlaying());
    EXPECT_EQ(0, q.Position());

    // The same with a piece stopped but not freed.
    std::unique_ptr<TQZMusic> m;
    ASSERT_EQ(QZRES_OK, LoadMusic(dir.File("c.wav"), m));
    struct Count {
        int ends = 0;
        void Ended(TQZMusic*) { ++ends; }
    } count;
    m->SetEndCallback(MakeMethod<&Count::Ended>(&count));
    ASSERT_EQ(QZRES_OK, m->Play(false));
    ASSERT_TRUE(snd::SimulateMusicEnd());
    ASSERT_EQ(QZRES_OK, m->Stop());
    ProcessSynchronize();
    EXPECT_EQ(0, count.ends);
    ASSERT_EQ(QZRES_OK, m->Play(false));
    ASSERT_TRUE(snd::SimulateMusicEnd());
    m.reset();  // freed before the notice runs
    ProcessSynchronize();
    EXPECT_EQ(0, count.ends);
}

TEST_F(MusicQueueTest, OneItemShuffledPlaysAgainAfterItsEnd)
{
    TQZMusicQueue q;
    q.SetShuffle(true);
    q.Add(dir.File("a.wav"));
    q.PlayNext();
    ASSERT_TRUE(snd::SimulateMusicEnd());
    ProcessSynchronize();
    EXPECT_EQ(0, q.Position());
    EXPECT_EQ(dir.File("a.wav"), Playing(q));
    EXPECT_TRUE(q.Current()->Playing());
}

TEST_F(MusicQueueTest, ShuffleSwapsEachItemWithADrawnOneAtTheStartOnly)
{
    TQZMusicQueue q;
    q.SetShuffle(true);
    std::deque<uint32_t> draws = {2, 2, 0};
    q.SetRandomSource([&](uint32_t n) {
        EXPECT_EQ(3u, n);
        uint32_t v = draws.front();
        draws.pop_front();
        return v;
    });
    for (const char* name : {"a.wav", "b.wav", "c.wav"}) q.Add(dir.File(name));
    q.PlayNext();  // a b c -> c b a -> c a b -> b a c
    EXPECT_EQ((std::vector<std::string>{dir.File("b.wav"), dir.File("a.wav"), dir.File("c.wav")}), q.Items());
    EXPECT_EQ(dir.File("b.wav"), Playing(q));
    q.PlayNext();
    EXPECT_TRUE(draws.empty()) << "only the start of a round shuffles";
    EXPECT_EQ(dir.File("a.wav"), Playing(q));
}

TEST_F(MusicQueueTest, MissingFileStaysAtItsPositionUntilTheNextPlay)
{
    TQZMusicQueue q;
    q.Add(dir.File("gone.mp3"));
    q.Add(dir.File("b.wav"));
    q.PlayNext();
    EXPECT_FALSE(q.IsPlaying());
    EXPECT_EQ(0, q.Position());
    ProcessSynchronize();
    EXPECT_EQ(0, q.Position());
    q.PlayNext();
    EXPECT_EQ(dir.File("b.wav"), Playing(q));
    TQZMusicQueue empty;
    empty.PlayNext();
    EXPECT_EQ(-1, empty.Position());
}

TEST_F(MusicQueueTest, VolumeGoesToTheStream)
{
    TQZMusicQueue q;
    q.Add(dir.File("a.wav"));
    q.SetVolume(40);
    q.PlayNext();
    EXPECT_FLOAT_EQ(0.4f, snd::MusicVolume(q.Current()->stream));
    q.SetVolume(70);
    EXPECT_FLOAT_EQ(0.7f, snd::MusicVolume(q.Current()->stream));
    q.Clear();
    EXPECT_FALSE(q.IsPlaying());
    EXPECT_TRUE(q.Items().empty());
}

}  // namespace
