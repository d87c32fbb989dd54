// The edit applier runs inside the audio callback: no command may allocate.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <new>
#include <random>

#include "engine/model/demo_project.h"
#include "engine/model/edit_command.h"
#include "engine/model/project.h"

namespace {
std::atomic<long> gAllocations{0};
}

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
void* operator new(std::size_t n) {
    gAllocations.fetch_add(1, std::memory_order_relaxed);
    if (void* p = std::malloc(n ? n : 1)) return p;
    throw std::bad_alloc();
}
void* operator new(std::size_t n, const std::nothrow_t&) noexcept {
    gAllocations.fetch_add(1, std::memory_order_relaxed);
    return std::malloc(n ? n : 1);
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
#pragma GCC diagnostic pop

namespace {

TEST(EditRealtime, EveryKindAppliesWithoutAllocating) {
    auto project = ob::makeProject();
    ASSERT_NE(project, nullptr);
    ob::buildDemoProject(*project);

    // Commands drawn up front so the loop itself allocates nothing.
    std::mt19937 rng(99);
    static ob::EditCommand commands[4096];
    for (ob::EditCommand& c : commands) {
        c.kind = static_cast<std::uint8_t>(rng() % 50);
        c.track = rng() % 9;
        c.step = rng() % 17;
        c.param = static_cast<std::int32_t>(rng() % 66);
        c.value = static_cast<float>(static_cast<int>(rng() % 400) - 100) * 0.25f;
        if (c.kind == ob::kEditAddTrack || c.kind == ob::kEditMacroName) c.text[0] = 'K';
    }

    const long before = gAllocations.load();
    for (int pass = 0; pass < 4; ++pass)
        for (const ob::EditCommand& c : commands) ob::applyEditCommand(*project, c);
    EXPECT_EQ(gAllocations.load(), before);
    EXPECT_GT(project->patterns[0].numTracks, 0);
}

}  // namespace
