// The cue track: loading, its log, firing, seeking; the engine's start and the loop restart.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <memory>

#include "app/kgl_info.h"
#include "app/kgl_music_end.h"
#include "common/kgl_bytes.h"
#include "engine/kgl_demoengine.h"
#include "sync/kgl_events.h"
#include "sync_fixtures.h"

using kgl::EventTrack;
using kgl_test::TempCwd;

namespace {

struct Mark {
    uint32_t position;
    int32_t action;
    bool spectrum = false;
    float value = 0.0f;  // every spectrum value
};

void writeTrack(const std::string& path, const std::vector<Mark>& marks) {
    kgl::ByteWriter w;
    for (const Mark& m : marks) {
        w.u32(m.position);
        w.i32(m.action);
        w.u8(m.spectrum ? 1 : 0);
        if (m.spectrum) {
            for (int j = 0; j < EventTrack::kSpectrumSize; ++j) w.f32(m.value);
        }
    }
    ASSERT_TRUE(kgl::writeFile(path, w.bytes()));
}

std::unique_ptr<EventTrack> loadTrack(const std::vector<Mark>& marks) {
    writeTrack("actions.bin", marks);
    auto t = std::make_unique<EventTrack>();
    t->Clear();
    t->Load("actions.bin");
    return t;
}

class FakeStream : public kgl::MusicStream {
public:
    bool open(const char*) override { return true; }
    void openSilent() override {}
    void play() override {
        if (pos == len) pos = 0;
    }
    void close() override {}
    uint32_t position() override { return pos; }
    void setPosition(uint32_t p) override { pos = p; }
    bool lengthKnown() const override { return true; }
    uint32_t lengthBytes() const override { return len; }
    uint32_t sampleRate() const override { return 44100; }
    uint32_t channels() const override { return 2; }
    uint32_t len = 176400;
    uint32_t pos = 0;
};

}  // namespace

TEST(EventTrack, MissingFileIsCreatedEmptyAndNeverFires) {
    TempCwd dir;
    auto t = std::make_unique<EventTrack>();
    t->Clear();
    t->Load("actions.bin");
    struct stat st {};
    ASSERT_EQ(stat("actions.bin", &st), 0);
    EXPECT_EQ(st.st_size, 0);
    EXPECT_EQ(t->count, 0);
    EXPECT_EQ(t->loaded, 1);
    EXPECT_FALSE(t->Advance(0xFFFFFFFFu));
    EXPECT_EQ(kgl_test::ReadText("EVENTS_load.log"), "");
}

TEST(EventTrack, LogOfTwoRecordsByteForByte) {
    TempCwd dir;
    auto t = loadTrack({{1000, 3}, {5000, 4}});
    EXPECT_EQ(t->count, 2);
    EXPECT_EQ(kgl_test::ReadText("EVENTS_load.log"),
              "\nPosition 1000 \t Action 3 \t FftData -1.000000 "
              "\nPosition 5000 \t Action 4 \t FftData -1.000000 ");
}

TEST(EventTrack, OneMarkPerCallStrictlyPastItsPosition) {
    TempCwd dir;
    auto t = loadTrack({{100, 7}, {100, 8}, {200, 9}});
    EXPECT_FALSE(t->Advance(100));
    EXPECT_TRUE(t->Advance(5000));  // far past everything: still one mark per call
    EXPECT_TRUE(t->TakeFired(7));
    EXPECT_FALSE(t->TakeFired(8));
    EXPECT_TRUE(t->Advance(5000));  // the second mark at the same position, next call
    EXPECT_TRUE(t->TakeFired(8));
    EXPECT_FALSE(t->TakeFired(8));
    EXPECT_TRUE(t->Advance(5000));
    EXPECT_TRUE(t->TakeFired(9));
    for (int i = 0; i < 3; ++i) EXPECT_FALSE(t->Advance(6000));  // after the last mark
}

TEST(EventTrack, ShortRecordsOddActionsAndCapacity) {
    TempCwd dir;
    writeTrack("actions.bin", {{10, -1}, {20, 5000}, {30, 2}});
    std::vector<uint8_t> bytes;
    ASSERT_TRUE(kgl::readFile("actions.bin", bytes));
    bytes.insert(bytes.end(), {1, 2, 3, 4, 5});  // a cut-off last record
    ASSERT_TRUE(kgl::writeFile("actions.bin", bytes));
    auto t = std::make_unique<EventTrack>();
    t->Load("actions.bin");
    EXPECT_EQ(t->count, 3);
    EXPECT_EQ(t->actions[1], 5000);  // stored, never indexes the fired table
    EXPECT_TRUE(t->Advance(11));
    EXPECT_TRUE(t->Advance(21));
    EXPECT_FALSE(t->TakeFired(-1));
    EXPECT_FALSE(t->TakeFired(5000));

    std::vector<Mark> many;
    for (int i = 0; i < EventTrack::kMaxMarks + 3; ++i) many.push_back({uint32_t(i), i % 90});
    t = loadTrack(many);
    EXPECT_EQ(t->count, EventTrack::kMaxMarks);
}

TEST(EventTrack, SpectrumMarksCompareWithSilence) {
    TempCwd dir;
    // Sum over 128 values: 128 x 0.0002 = 0.0256 < 0.0372 fires on every call; 0.001 does not.
    auto t = loadTrack({{1u << 30, 11, true, 0.0002f}, {1u << 30, 12, true, 0.001f}});
    EXPECT_EQ(kgl_test::ReadText("EVENTS_load.log"),
              "\nPosition 1073741824 \t Action 11 \t FftData 0.000200 "
              "\nPosition 1073741824 \t Action 12 \t FftData 0.001000 ");
    EXPECT_FALSE(t->Advance(0));
    EXPECT_TRUE(t->TakeFired(11));
    EXPECT_FALSE(t->TakeFired(12));
    EXPECT_FALSE(t->Advance(0));
    EXPECT_TRUE(t->TakeFired(11));
}

TEST(EventTrack, SeekForwardAndBackward) {
    TempCwd dir;
    auto t = loadTrack({{1000, 1}, {2000, 2}, {3000, 3}, {4000, 4}});
    t->Seek(3500);  // marks 0 and 1 fire, mark 2 (the last before the target) waits
    EXPECT_EQ(t->cursor, 3);
    EXPECT_TRUE(t->TakeFired(1));
    EXPECT_TRUE(t->TakeFired(2));
    EXPECT_FALSE(t->TakeFired(3));
    t->Seek(2500);  // backward: down to the first mark before the target
    EXPECT_EQ(t->cursor, 1);
    EXPECT_EQ(t->seekDone, 1);
    t->Seek(500);  // the backward walk stops above mark 0: nothing found, the cursor stays
    EXPECT_EQ(t->cursor, 1);
    EXPECT_EQ(t->seekDone, 0);
    t->Seek(9000);  // everything before the target: all but the last fire, cursor on the last
    EXPECT_EQ(t->cursor, 3);
}

TEST(EngineTrack, StartOffsetExample) {
    TempCwd dir;
    writeTrack("actions.bin", {{1000, 5}, {5000, 6}});
    FakeStream fake;
    auto engine = std::make_unique<kgl::DemoEngine>();
    engine->sound.UseStream(&fake);
    engine->config.loadActions = 1;
    engine->config.useMp3 = 1;
    engine->config.mp3StartOffset = 3000;
    engine->StartMusic();
    engine->StartEventTrack("actions.bin");
    EXPECT_EQ(fake.pos, 3000u);
    EXPECT_EQ(engine->events.cursor, 1);
    EXPECT_FALSE(engine->events.TakeFired(5));
    EXPECT_FALSE(engine->events.Advance(5000));
    EXPECT_TRUE(engine->events.Advance(5001));
    EXPECT_TRUE(engine->events.TakeFired(6));
}

TEST(EngineTrack, StartTimeMovesTheTrackBeforeTheLimit) {
    TempCwd dir;
    writeTrack("actions.bin", {{1000, 5}, {600000, 6}, {700000, 7}});
    FakeStream fake;  // one second of music
    auto engine = std::make_unique<kgl::DemoEngine>();
    engine->sound.UseStream(&fake);
    engine->config.loadActions = 1;
    engine->config.useMp3 = 1;
    engine->config.mp3StartSeconds = 4.0f;  // 705600 bytes: past every mark
    engine->StartMusic();
    engine->StartEventTrack("actions.bin");
    EXPECT_EQ(engine->events.cursor, 2);  // moved with 4 s ...
    EXPECT_TRUE(engine->events.TakeFired(5));
    EXPECT_TRUE(engine->events.TakeFired(6));
    EXPECT_FLOAT_EQ(engine->config.mp3StartSeconds, -1.0f);  // ... then limited in place
    EXPECT_EQ(fake.pos, 0u);
}

TEST(EngineTrack, NoLoadActionsNoTrack) {
    TempCwd dir;
    auto engine = std::make_unique<kgl::DemoEngine>();
    engine->config.mp3StartOffset = 3000;
    engine->StartEventTrack("actions.bin");
    EXPECT_EQ(engine->events.loaded, 0);
    EXPECT_NE(access("actions.bin", F_OK), 0);
}

TEST(EngineTrack, LoopRestartReloadsTheTrack) {
    TempCwd dir;
    ASSERT_EQ(mkdir("escena", 0755), 0);
    writeTrack("escena/actions.bin", {{10, 1}, {20, 2}});
    FakeStream fake;
    auto engine = std::make_unique<kgl::DemoEngine>();
    engine->sound.UseStream(&fake);
    engine->config.useMp3 = 1;
    engine->StartMusic();
    EXPECT_FALSE(kgl::musicEndCheck(*engine));
    fake.pos = fake.len;
    EXPECT_TRUE(kgl::musicEndCheck(*engine));  // loop off: the end of the show

    engine->setShowLoop(1);
    engine->events.Advance(100);
    EXPECT_FALSE(kgl::musicEndCheck(*engine));  // loop on: restarted, reloaded from the start
    EXPECT_EQ(engine->sound.restarted, 0);
    EXPECT_EQ(engine->events.count, 2);
    EXPECT_EQ(engine->events.cursor, 0);
    EXPECT_EQ(fake.pos, 0u);
    EXPECT_FALSE(kgl::musicEndCheck(*engine));
}

TEST(Info, ActionTrackSummary) {
    TempCwd dir;
    writeTrack("actions.bin", {{1000, 3}, {5000, 64, true, 0.5f}});
    int result = -1;
    EXPECT_EQ(kgl_test::PrintedBy([](FILE* out) { return kgl::infoActions("actions.bin", out); }, result),
              "marks 2\n1000 3  # scene 3\n5000 64 spectrum  # flash 1\n");
    EXPECT_EQ(result, 0);
    kgl_test::WriteText("odd.bin", std::string(10, '\0'));  // 10 bytes fit no record layout
    EXPECT_EQ(kgl::infoActions("odd.bin", stdout), kgl::kNotMyKind);
    EXPECT_EQ(kgl::infoActions("actions.dat", stdout), kgl::kNotMyKind);
}

// Random bytes as a track: whatever the content, loading stays in bounds and every record
// the loader keeps is one the layout allows.
TEST(EventTrack, RandomFilesLoadSafely) {
    TempCwd dir;
    uint32_t seed = 777;
    auto next = [&seed]() { return seed = seed * 1664525u + 1013904223u; };
    auto t = std::make_unique<EventTrack>();
    for (int round = 0; round < 50; ++round) {
        std::vector<uint8_t> bytes(next() % 6000);
        for (uint8_t& b : bytes) b = static_cast<uint8_t>(next() >> 24);
        ASSERT_TRUE(kgl::writeFile("actions.bin", bytes));
        t->Clear();
        t->Load("actions.bin");
        ASSERT_LE(static_cast<size_t>(t->count) * 9, bytes.size());
        for (int i = 0; i < 20; ++i) t->Advance(next());
        for (int k = -5; k < 100; ++k) t->TakeFired(k);
        t->Seek(next());
    }
}
