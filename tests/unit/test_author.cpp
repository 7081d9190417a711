// Author mode without a window: recording cues with injected key presses on a fixed-step music
// clock, saving and reading the track back; the track edits under the cursor; the key files.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <chrono>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "app/kgl_author.h"
#include "common/kgl_bytes.h"
#include "common/kgl_replace_file.h"
#include "engine/kgl_demoengine.h"
#include "kgl_test_files.h"
#include "sync/kgl_action_text.h"
#include "sync_fixtures.h"

namespace {

using kgl::Author;

constexpr uint32_t kTurnBytes = 5880;  // one turn at 30 fps of 44.1 kHz stereo

class NoSeekHost : public kgl::AuthorHost {
public:
    void seek(uint32_t target, bool rebuild) override { seeks.push_back({target, rebuild}); }
    void reload(uint32_t) override { ++reloads; }
    bool seeking() const override { return false; }
    std::vector<std::pair<uint32_t, bool>> seeks;
    int reloads = 0;
};

// The loop turns of a --fixed-fps 30 run: keys, picture (nothing drawn here), director, music.
class Recording : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(mkdir("escena", 0755), 0);
        ASSERT_TRUE(kgl_test::WriteText("escena/keys.txt", "Q 64  # flash 1\n"));
        e = std::make_unique<kgl::DemoEngine>();
        e->withGL = 0;
        e->config.renderActions = 1;
        e->sound.UseStream(&stream);
        e->sound.StartStream("music");
        e->events.Clear();
        e->events.count = 0;
        e->events.InsertMark(0, 0);
        kgl::replaceFile("escena/actions.bin", {0, 0, 0, 0, 0, 0, 0, 0, 0}, false, why);
        author = std::make_unique<Author>(*e, host);
        author->start(script);
    }
    void TearDown() override { e->sound.UseStream(nullptr); }
    // One turn with `keys` pressed (with Ctrl held when `ctrl`); the music stands while paused.
    void turn(std::initializer_list<int> keys, bool ctrl = false) {
        uint8_t pressed[kgl::kKeyCount] = {};
        uint8_t down[kgl::kKeyCount] = {};
        for (int k : keys) pressed[k] = 1;
        down[kgl::vk::kCtrl] = ctrl;
        author->beginTurn(pressed, down);
        e->direct();
        if (!author->paused()) stream.pos += kTurnBytes;
    }

    kgl_test::TempCwd dir{"kglauthor"};
    kgl_test::ManualStream stream;
    NoSeekHost host;
    std::string why;
    std::vector<kgl::ScriptedKey> script;
    std::unique_ptr<kgl::DemoEngine> e;
    std::unique_ptr<Author> author;
};

TEST_F(Recording, CuesAreRecordedPerformedSavedAndReadBack) {
    turn({});
    turn({'R'});
    turn({'3'});
    turn({kgl::vk::kEnter});  // turn 3: action 3 typed and entered
    EXPECT_EQ(e->currentScene, 3) << "performed by this turn's director";
    turn({'Q'});  // turn 4: the bound key
    turn({'5'});
    turn({'0'});
    turn({kgl::vk::kEnter});  // turn 7: action 50
    turn({'2'});
    turn({'2'});
    turn({kgl::vk::kEnter});      // 22 is no action: nothing recorded
    turn({kgl::vk::kBackspace});  // takes back action 50
    EXPECT_EQ(e->events.count, 3);
    EXPECT_TRUE(author->modified());
    turn({'S'}, true);
    EXPECT_FALSE(author->modified());

    std::vector<uint8_t> bytes;
    ASSERT_TRUE(kgl::readFile("escena/actions.bin", bytes));
    std::vector<kgl::TrackMark> saved;
    kgl::DecodeActionTrack(bytes, saved);
    const uint32_t frame = 4;
    const std::vector<std::pair<uint32_t, int>> want = {
        {0, 0}, {3 * kTurnBytes - frame, 3}, {4 * kTurnBytes - frame, 64}};
    ASSERT_EQ(saved.size(), want.size());
    for (size_t i = 0; i < want.size(); ++i) {
        EXPECT_EQ(saved[i].position, want[i].first) << i;
        EXPECT_EQ(saved[i].action, want[i].second) << i;
    }
    EXPECT_EQ(kgl_test::ReadText("escena/actions.bin.bak").size(), 9u) << "the previous track is kept";
    const std::string text = kgl_test::ReadText("escena/actions.txt");
    kgl::ParsedTrack parsed;
    ASSERT_TRUE(kgl::ParseActionText(text.data(), text.size(), kgl::MusicFormat(), parsed));
    EXPECT_EQ(kgl::EncodeActionTrack(parsed.marks), bytes) << "the text says the same";
}

TEST_F(Recording, SeeksAskTheHostAndPausingStopsTheClock) {
    stream.pos = 20 * 176400;
    turn({kgl::vk::kLeft});
    turn({kgl::vk::kRight});
    turn({kgl::vk::kHome});
    ASSERT_EQ(host.seeks.size(), 3u);
    EXPECT_EQ(host.seeks[0], std::make_pair(19u * 176400, true)) << "backward: built again";
    EXPECT_EQ(host.seeks[1].second, false) << "forward: replayed from here";
    EXPECT_EQ(host.seeks[2], std::make_pair(0u, true));
    turn({kgl::vk::kSpace});
    EXPECT_TRUE(author->paused());
    turn({'A'});
    turn({'B'});  // the end at the start: refused
    kgl::ShowHudInfo hud;
    author->fillHud(hud);
    EXPECT_TRUE(hud.paused);
    EXPECT_FALSE(hud.loopSet);
    EXPECT_GE(hud.loopFromSeconds, 0.0);
    EXPECT_LT(hud.loopToSeconds, 0.0);
    EXPECT_NE(std::string(hud.message).find("after its start"), std::string::npos);
}

// The watcher looks at the files at most every kWatchIntervalMs of real time: each step waits that
// long before its turn.
TEST_F(Recording, ChangedTrackFilesReplaceTheTrackAndReplayToTheSamePlace) {
    const auto afterWatchInterval = [this] {
        std::this_thread::sleep_for(std::chrono::milliseconds(Author::kWatchIntervalMs + 50));
        turn({});
    };
    stream.pos = 10 * kTurnBytes;
    ASSERT_TRUE(
        kgl_test::WriteText("escena/actions.txt", "00:00.000  0\n00:01.000  3  # scene 3\n@176400 64\n"));
    afterWatchInterval();
    EXPECT_EQ(e->events.count, 3);
    ASSERT_EQ(host.seeks.size(), 1u);
    EXPECT_EQ(host.seeks[0], std::make_pair(10 * kTurnBytes, true)) << "replayed to where it was";

    ASSERT_TRUE(kgl_test::WriteText("escena/actions.txt", "00:00.000  0\n00:01.000  three\n"));
    afterWatchInterval();
    EXPECT_EQ(e->events.count, 3) << "a broken text leaves the track as it was";
    EXPECT_EQ(host.seeks.size(), 1u);
    EXPECT_EQ(std::string(author->message()).rfind("escena/actions.txt:2:", 0), 0u) << author->message();

    const auto mark = [](uint32_t position, int32_t action) {
        kgl::TrackMark m;
        m.position = position;
        m.action = action;
        return m;
    };
    ASSERT_TRUE(kgl::replaceFile("escena/actions.bin", kgl::EncodeActionTrack({mark(0, 0), mark(88200, 5)}),
                                 false, why));
    afterWatchInterval();
    EXPECT_EQ(e->events.count, 2) << "the binary track changed, the text did not";
    EXPECT_EQ(host.seeks.size(), 2u);
}

TEST(TrackEditing, InsertAndRemoveKeepTheCursorOnTheSameNextMark) {
    auto t = std::make_unique<kgl::EventTrack>();
    t->Clear();
    t->count = 0;
    for (uint32_t p : {100u, 200u, 300u}) t->InsertMark(p, 1);
    t->cursor = 2;                        // marks at 100 and 200 passed
    EXPECT_EQ(t->InsertMark(150, 7), 1);  // before the cursor: counts as passed
    EXPECT_EQ(t->cursor, 3);
    EXPECT_EQ(t->InsertMark(200, 8), 3);  // after the marks at its position, at the cursor:
    EXPECT_EQ(t->actions[t->cursor], 8);  // the next to fire
    EXPECT_TRUE(t->RemoveMark(t->FindMark(150, 7)));
    EXPECT_EQ(t->actions[t->cursor], 8);
    EXPECT_FALSE(t->RemoveMark(t->count));
    t->PlaceCursor(200);
    EXPECT_EQ(t->cursor, 1);
}

struct KeyLine {
    const char* text;
    int column;  // of the issue; 0: the line is good
};

TEST(KeyMap, MalformedLinesAreSkippedWithTheirColumn) {
    const KeyLine cases[] = {
        {"Q 64", 0},
        {"  f2 3 # scene 3", 0},
        {"# only a comment", 0},
        {"", 0},
        {"Q", 1},
        {"Q 64 65", 1},
        {"A 3", 1},
        {"F5 3", 1},
        {"F1 3", 1},
        {"7 3", 1},
        {"Up 3", 1},
        {"F13 3", 1},
        {"Q 91", 3},
        {"Q 22", 3},
        {"Q -1", 3},
        {"Q 3x", 3},
        {"Q 99999999999", 3},
    };
    for (const KeyLine& c : cases) {
        kgl::KeyMap map;
        std::vector<kgl::KeyFileIssue> issues;
        const std::string text = c.text;
        const bool ok = kgl::ParseKeyMap(text.data(), text.size(), map, issues);
        EXPECT_EQ(ok, c.column == 0) << c.text;
        EXPECT_EQ(issues.empty() ? 0 : issues[0].column, c.column) << c.text;
    }
    kgl::KeyMap map;
    std::vector<kgl::KeyFileIssue> issues;
    const std::string twice = "Q 3\nQ 4\nW 5";
    EXPECT_FALSE(kgl::ParseKeyMap(twice.data(), twice.size(), map, issues));
    ASSERT_EQ(issues.size(), 1u);
    EXPECT_EQ(issues[0].line, 2);
    EXPECT_EQ(map.action['Q'], 3);
    EXPECT_EQ(map.action['W'], 5);
    EXPECT_EQ(map.bound, 2);
}

TEST(KeyScript, PressesInTurnOrderWithModifiers) {
    const std::string text = "20 Ctrl+S\n5 Space Shift+Right\n\n7 Nope\nx Space\n";
    std::vector<kgl::ScriptedKey> keys;
    std::vector<kgl::KeyFileIssue> issues;
    EXPECT_FALSE(kgl::ParseKeyScript(text.data(), text.size(), keys, issues));
    ASSERT_EQ(issues.size(), 2u);
    EXPECT_EQ(issues[0].line, 4);
    EXPECT_EQ(issues[0].column, 3);
    EXPECT_EQ(issues[1].line, 5);
    ASSERT_EQ(keys.size(), 3u);
    EXPECT_EQ(keys[0].turn, 5);
    EXPECT_EQ(keys[0].key, kgl::vk::kSpace);
    EXPECT_TRUE(keys[1].shift);
    EXPECT_EQ(keys[1].key, kgl::vk::kRight);
    EXPECT_TRUE(keys[2].ctrl);
    EXPECT_EQ(keys[2].key, 'S');
}

}  // namespace
