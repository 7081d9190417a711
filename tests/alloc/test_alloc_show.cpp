// The default show plays without touching the heap: after its first full second, a few hundred
// frames of render/direct/update, with the HUD and its key list drawn over them, must make no C++
// allocation or free (and the HUD's Dear ImGui no heap call). Global operator new/delete
// are replaced by counting versions, which is why this test is an executable of its own. Mesa
// allocates with malloc on its own, and its software rasterizer (LLVM) with operator new: only
// calls made from this executable's code (kglcore is linked in statically) are counted; the others
// are reported as a figure.
#include <GL/gl.h>
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <new>
#include <string>

#include "app/kgl_show_hud.h"
#include "tests/gl/kgl_test_show.h"

namespace {

constexpr int kMaxRecorded = 16;  // callers of the first allocations, for the failure message

std::atomic<bool> gCounting{false};
std::atomic<long> gNews{0};
std::atomic<long> gDeletes{0};
std::atomic<long> gForeign{0};  // news and deletes from the GL driver and other libraries
void* gCallers[kMaxRecorded] = {};

}  // namespace

extern "C" char __executable_start;  // the executable's code, from the GNU linker
extern "C" char etext;

namespace {

bool fromOurCode(void* caller) {
    const char* p = static_cast<const char*>(caller);
    return p >= &__executable_start && p < &etext;
}

void noteNew(void* caller) {
    if (!fromOurCode(caller)) {
        gForeign.fetch_add(1);
        return;
    }
    const long n = gNews.fetch_add(1);
    if (n < kMaxRecorded) gCallers[n] = caller;
}

void* countedNew(std::size_t size, void* caller) {
    if (gCounting.load(std::memory_order_relaxed)) noteNew(caller);
    if (size == 0) size = 1;
    void* p = std::malloc(size);
    if (!p) throw std::bad_alloc();
    return p;
}

void countedDelete(void* p, void* caller) {
    if (p && gCounting.load(std::memory_order_relaxed))
        (fromOurCode(caller) ? gDeletes : gForeign).fetch_add(1);
    std::free(p);
}

}  // namespace

void* operator new(std::size_t size) {
    return countedNew(size, __builtin_return_address(0));
}
void* operator new[](std::size_t size) {
    return countedNew(size, __builtin_return_address(0));
}
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
    try {
        return countedNew(size, __builtin_return_address(0));
    } catch (...) {
        return nullptr;
    }
}
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept {
    try {
        return countedNew(size, __builtin_return_address(0));
    } catch (...) {
        return nullptr;
    }
}
void operator delete(void* p) noexcept {
    countedDelete(p, __builtin_return_address(0));
}
void operator delete[](void* p) noexcept {
    countedDelete(p, __builtin_return_address(0));
}
void operator delete(void* p, std::size_t) noexcept {
    countedDelete(p, __builtin_return_address(0));
}
void operator delete[](void* p, std::size_t) noexcept {
    countedDelete(p, __builtin_return_address(0));
}

namespace {

constexpr int kWarmFrames = 30;  // the first full second at 30 frames per second
constexpr int kCountedFrames = 300;
constexpr double kFps = 30.0;

std::string callerName(void* address) {
    Dl_info info{};
    if (!dladdr(address, &info)) return "?";
    std::string name = info.dli_sname ? info.dli_sname : "?";
    return name + " in " + (info.dli_fname ? info.dli_fname : "?");
}

TEST(AllocShow, NoHeapTrafficPerFrame) {
    kgl_test::ShowRun run;
    if (!run.enter()) GTEST_SKIP() << "no default show in KGL_SHOW_DIR";
    run.start(320, 200, kFps);
    ASSERT_FALSE(HasFatalFailure());
    kgl::ShowHud hud;  // with its key list, drawn over every frame
    ASSERT_TRUE(hud.start(320, 200, true));
    uint8_t pressed[kgl::kVirtualKeyCount] = {};
    pressed[kgl::ShowHud::kVkF1] = 1;
    hud.takeKeys(pressed);
    const int64_t hudAllocations = kgl::hudAllocations();  // all made by start()
    kgl::DemoEngine& e = kgl::engine();
    const auto drawHud = [&] {
        hud.refresh(e, kgl::tickTimeMs());
        hud.draw(e.sound);
    };
    int64_t frame = 0;
    for (; frame < kWarmFrames; ++frame) run.step(frame, true, true, drawHud);
    gCounting = true;
    int* volatile probe = new int(1);  // the counters see our code: one new and one delete
    delete probe;
    ASSERT_EQ(gNews.load(), 1);
    ASSERT_EQ(gDeletes.load(), 1);
    gNews = 0;
    gDeletes = 0;
    for (; frame < kWarmFrames + kCountedFrames; ++frame) run.step(frame, true, true, drawHud);
    gCounting = false;
    EXPECT_EQ(kgl::hudAllocations(), hudAllocations) << "the HUD's heap calls after its start";

    std::printf("AllocShow: %d frames: %ld news, %ld deletes from our code; %ld by the GL driver\n",
                kCountedFrames, gNews.load(), gDeletes.load(), gForeign.load());
    std::string callers;
    for (long i = 0; i < gNews.load() && i < kMaxRecorded; ++i) callers += "\n  " + callerName(gCallers[i]);
    EXPECT_EQ(gNews.load(), 0) << "allocations per frame, first callers:" << callers;
    EXPECT_EQ(gDeletes.load(), 0);
    kgl::stopHud();  // before the show's window closes
}

}  // namespace
