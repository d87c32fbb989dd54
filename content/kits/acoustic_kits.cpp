// Kits 7 and 8: sampler voices layered by velocity over the acoustic set
// that the start-up preload puts into pool slots 0 to 32.

#include <cstdint>

#include "content/kits/factory_kit_builder.h"
#include "content/kits/factory_kits.h"
#include "engine/params/param_info.h"

namespace ob {
namespace {

constexpr std::uint8_t kSample = kMachineSample;

}  // namespace

Pattern buildModernAcousticKit() {
    return buildKitFromRecipe(KitRecipe{
        .name = "Modern Acoustic",
        .tags = {"acoustic", "rock"},
        .tempo = 96.0f,
        .swing = 50.0f,
        .hasRoom = true,
        .room = {0.55f, 0.45f, 0.5f, 0.35f},
        .voices = {
            {.name = "Kick", .machine = kSample, .params = {{"decay", 0.8f}, {"level", 0.95f}},
             .gain = 1.0f, .pan = 0.0f, .steps = "X--x--X---X-x---",
             .roomAmount = 0.04f, .inRoom = true, .zones = {{0, 50}, {1, 95}, {2, 127}}},
            {.name = "Snare", .machine = kSample, .params = {{"decay", 0.55f}, {"level", 0.9f}},
             .gain = 0.92f, .pan = 0.03f, .steps = "--o-X-o-o-o-X-o-",
             .roomAmount = 0.22f, .inRoom = true,
             .zones = {{5, 25}, {6, 70}, {7, 105}, {8, 127}}},
            {.name = "Closed Hat", .machine = kSample, .params = {{"decay", 0.3f}, {"level", 0.8f}},
             .gain = 0.62f, .pan = 0.28f, .steps = "X-o-x-o-X-o-x-o-",
             .roomAmount = 0.06f, .inRoom = true, .zones = {{18, 70}, {19, 127}}},
            {.name = "Open Hat", .machine = kSample, .params = {{"decay", 0.8f}, {"level", 0.78f}},
             .gain = 0.56f, .pan = 0.3f, .steps = nullptr,
             .roomAmount = 0.12f, .inRoom = true, .zones = {{20, 60}, {21, 100}, {22, 127}}},
            {.name = "Hi Tom", .machine = kSample, .params = {{"decay", 1.0f}, {"level", 0.88f}},
             .gain = 0.8f, .pan = -0.22f, .steps = "-------------x--",
             .roomAmount = 0.16f, .inRoom = true, .zones = {{12, 55}, {13, 100}, {14, 127}}},
            {.name = "Lo Tom", .machine = kSample, .params = {{"decay", 1.2f}, {"level", 0.88f}},
             .gain = 0.82f, .pan = -0.34f, .steps = "---------------x",
             .roomAmount = 0.18f, .inRoom = true, .zones = {{15, 45}, {16, 95}, {17, 127}}},
            {.name = "Ride", .machine = kSample, .params = {{"decay", 2.2f}, {"level", 0.72f}},
             .gain = 0.62f, .pan = 0.22f, .steps = nullptr,
             .roomAmount = 0.24f, .inRoom = true, .zones = {{24, 90}, {25, 127}}},
            {.name = "Crash", .machine = kSample, .params = {{"decay", 3.2f}, {"level", 0.74f}},
             .gain = 0.66f, .pan = -0.18f, .steps = "X---------------",
             .roomAmount = 0.3f, .inRoom = true, .zones = {{27, 80}, {28, 127}}},
        },
    });
}

Pattern build70sRockKit() {
    return buildKitFromRecipe(KitRecipe{
        .name = "70s Rock",
        .tags = {"acoustic", "70s", "rock"},
        .tempo = 112.0f,
        .swing = 50.0f,
        .hasRoom = true,
        .room = {0.4f, 0.3f, 0.72f, 0.25f},
        .voices = {
            {.name = "Kick", .machine = kSample,
             .params = {{"decay", 0.4f}, {"lp", 2500}, {"level", 0.98f}},
             .gain = 1.0f, .pan = 0.0f, .steps = "X---------X-----",
             .roomAmount = 0.02f, .inRoom = true, .zones = {{3, 70}, {4, 127}}},
            {.name = "Snare", .machine = kSample,
             .params = {{"decay", 0.35f}, {"lp", 6000}, {"level", 0.9f}},
             .gain = 0.9f, .pan = 0.03f, .steps = "----X-------X---",
             .roomAmount = 0.12f, .inRoom = true, .zones = {{10, 70}, {11, 127}}},
            {.name = "Closed Hat", .machine = kSample,
             .params = {{"decay", 0.25f}, {"lp", 9000}, {"level", 0.78f}},
             .gain = 0.6f, .pan = 0.28f, .steps = "x-x-x-x-x-x-x-x-",
             .roomAmount = 0.04f, .inRoom = true, .zones = {{18, 70}, {19, 127}}},
            {.name = "Open Hat", .machine = kSample,
             .params = {{"decay", 0.5f}, {"lp", 8000}, {"level", 0.76f}},
             .gain = 0.54f, .pan = 0.3f, .steps = nullptr,
             .roomAmount = 0.08f, .inRoom = true, .zones = {{20, 70}, {21, 127}}},
            {.name = "Hi Tom", .machine = kSample,
             .params = {{"decay", 0.8f}, {"lp", 4000}, {"level", 0.88f}},
             .gain = 0.82f, .pan = -0.22f, .steps = nullptr,
             .roomAmount = 0.1f, .inRoom = true, .zones = {{12, 55}, {13, 100}, {14, 127}}},
            {.name = "Lo Tom", .machine = kSample,
             .params = {{"decay", 1.0f}, {"lp", 3500}, {"level", 0.88f}},
             .gain = 0.84f, .pan = -0.34f, .steps = "--------------x-",
             .roomAmount = 0.12f, .inRoom = true, .zones = {{15, 45}, {16, 95}, {17, 127}}},
            {.name = "Ride", .machine = kSample,
             .params = {{"decay", 1.6f}, {"lp", 7000}, {"level", 0.7f}},
             .gain = 0.6f, .pan = 0.22f, .steps = nullptr,
             .roomAmount = 0.14f, .inRoom = true, .zones = {{24, 90}, {25, 127}}},
            {.name = "Crash", .machine = kSample,
             .params = {{"decay", 2.2f}, {"lp", 6000}, {"level", 0.72f}},
             .gain = 0.64f, .pan = -0.18f, .steps = "X---------------",
             .roomAmount = 0.18f, .inRoom = true, .zones = {{27, 80}, {28, 127}}},
        },
    });
}

}  // namespace ob
