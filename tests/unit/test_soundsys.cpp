// SoundSystem limits and the end poll, over a fake stream; music off over the real stream.
#include <gtest/gtest.h>

#include "platform/kgl_ticks.h"
#include "sync/kgl_soundsys.h"

namespace {

class FakeStream : public kgl::MusicStream {
public:
    bool open(const char*) override {
        opened = true;
        return known;
    }
    void openSilent() override { opened = true; }
    void play() override {
        ++plays;
        if (known && pos == len) pos = 0;
    }
    void close() override { opened = false; }
    uint32_t position() override { return pos; }
    void setPosition(uint32_t p) override {
        pos = p;
        lastSet = p;
    }
    bool lengthKnown() const override { return known; }
    uint32_t lengthBytes() const override { return known ? len : 0; }
    uint32_t sampleRate() const override { return 44100; }
    uint32_t channels() const override { return ch; }

    bool opened = false;
    bool known = true;
    uint32_t len = 10 * 176400;  // ten seconds
    uint32_t pos = 0;
    uint32_t lastSet = 0;
    uint32_t ch = 2;
    int plays = 0;
};

struct Rig {
    Rig() { sound.UseStream(&fake); }
    FakeStream fake;
    kgl::SoundSystem sound;
};

}  // namespace

TEST(SoundSystem, StartTakesTheStreamFacts) {
    Rig r;
    r.sound.StartStream("music.mp3");
    EXPECT_EQ(r.fake.plays, 1);
    EXPECT_EQ(r.sound.lengthBytes, 1764000u);
    EXPECT_EQ(r.sound.endPosition, 1764000u);
    EXPECT_EQ(r.sound.lengthWholeSeconds, 10u);
    EXPECT_FLOAT_EQ(r.sound.lengthSeconds, 10.0f);
    EXPECT_EQ(r.sound.channelFlags, 0u);
}

TEST(SoundSystem, StartOffsetLimits) {
    Rig r;
    r.sound.StartStream("music.mp3");
    r.sound.SetPositionBytes(5000000);
    EXPECT_EQ(r.fake.lastSet, 1764000u - 1000u);
    r.sound.SetPositionBytes(4000);
    EXPECT_EQ(r.fake.lastSet, 4000u);
    r.fake.len = 600;  // shorter than the margin: no unsigned wrap, the start is 0
    r.sound.StartStream("short.mp3");
    r.sound.SetPositionBytes(300);
    EXPECT_EQ(r.fake.lastSet, 0u);
    r.fake.known = false;  // unknown length: no limit
    r.sound.StartStream("broken.mp3");
    r.sound.SetPositionBytes(5000000);
    EXPECT_EQ(r.fake.lastSet, 5000000u);
}

TEST(SoundSystem, StartTimeLimitsInPlace) {
    Rig r;
    r.sound.StartStream("music.mp3");
    float s = 4294967291.0f;
    r.sound.SetPositionSeconds(s);
    EXPECT_FLOAT_EQ(s, 8.0f);
    EXPECT_EQ(r.fake.lastSet, 8u * 176400u);
    s = 0.005f;
    r.sound.SetPositionSeconds(s);
    EXPECT_FLOAT_EQ(s, 0.2f);
    EXPECT_EQ(r.fake.lastSet, 8820u * 4u);
    s = 3.5f;
    r.sound.SetPositionSeconds(s);
    EXPECT_FLOAT_EQ(s, 3.5f);
    EXPECT_EQ(r.fake.lastSet, 154350u * 4u);
}

TEST(SoundSystem, SecondsToBytesWholeFrames) {
    Rig r;
    r.fake.ch = 1;
    r.sound.StartStream("mono.mp3");
    EXPECT_EQ(r.sound.channelFlags, kgl::SoundSystem::kFlagMono);
    EXPECT_EQ(r.sound.SecondsToBytes(1.0f), 88200u);
    EXPECT_EQ(r.sound.SecondsToBytes(-3.0f), 0u);
    EXPECT_EQ(r.sound.SecondsToBytes(1e12f), 0xFFFFFFFEu);  // last whole frame of 32 bits
}

TEST(SoundSystem, EndByExactEqualityWithoutLoop) {
    Rig r;
    r.sound.StartStream("music.mp3");
    r.fake.pos = r.fake.len - 4;
    EXPECT_FALSE(r.sound.PollEnd());
    r.fake.pos = r.fake.len;
    EXPECT_TRUE(r.sound.PollEnd());
    EXPECT_TRUE(r.sound.PollEnd());
    EXPECT_EQ(r.sound.restarted, 0);
}

TEST(SoundSystem, LoopRestartsAndRaisesTheFlagOncePerEnd) {
    Rig r;
    r.sound.loop = 1;
    r.sound.StartStream("music.mp3");
    r.fake.pos = r.fake.len;
    EXPECT_FALSE(r.sound.PollEnd());
    EXPECT_EQ(r.sound.restarted, 1);
    EXPECT_EQ(r.fake.pos, 0u);
    EXPECT_EQ(r.fake.plays, 2);
    r.sound.restarted = 0;  // the engine takes it
    EXPECT_FALSE(r.sound.PollEnd());
    EXPECT_EQ(r.sound.restarted, 0);
    r.fake.pos = r.fake.len;
    EXPECT_FALSE(r.sound.PollEnd());
    EXPECT_EQ(r.sound.restarted, 1);
}

TEST(SoundSystem, UnplayableMusicNeverEnds) {
    Rig r;
    r.fake.known = false;
    r.sound.StartStream("missing.mp3");
    r.fake.pos = 0;
    EXPECT_FALSE(r.sound.PollEnd());
    float s = 100.0f;
    r.sound.SetPositionSeconds(s);  // no length: only the lower limit applies
    EXPECT_FLOAT_EQ(s, 100.0f);
}

TEST(SoundSystem, MusicOffCountsBytesFromTheStartOnTheFixedClock) {
    kgl::setFixedTickStep(20.0);
    kgl::SoundSystem sound;
    sound.StartSilent();
    for (int i = 0; i < 50; ++i) kgl::advanceFixedTick();
    EXPECT_EQ(sound.Position(), 176400u);  // one second at 44100 Hz x 2 x 2 bytes
    EXPECT_FALSE(sound.PollEnd());
    sound.SetPositionBytes(3000);
    kgl::advanceFixedTick();
    EXPECT_EQ(sound.Position(), 3000u + 3528u);
    kgl::setFixedTickStep(0.0);
}
