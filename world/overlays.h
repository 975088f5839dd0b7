// What is drawn over the frame: the statistics, the start hint and short notices (sound on or off,
// a saved picture).
#pragma once
#include <cstdint>

namespace mw {

struct World;

// Frame steps the start hint shows at most: five seconds at 60 Hz.
inline constexpr uint64_t HINT_FRAMES = 300;
// Frame steps a notice shows: "Sound off" / "Sound on", and where a picture went.
inline constexpr int32_t SOUND_NOTICE_FRAMES = 120;
inline constexpr int32_t SAVE_NOTICE_FRAMES = 240;

inline constexpr const char* HINT_TEXT = "Right button: tools    Esc: quit    F12: save picture    M: sound";

// Takes the hint away for good once its time is up or at the first right-button or key press.
void updateHint(World& world);
// Shows text as the notice for the given frame steps, replacing the one showing.
void showNotice(World& world, const char* text, int32_t frames);
// Draws the hint and the notice, each on a dark band near the bottom centre, and counts the
// notice's time down.
void drawOverlays(World& world);
// The three counters along the top edge: green soldiers, lighter fires, blue soldiers. Where the
// frame still holds them as last drawn, they are not drawn again.
void drawStatistics(World& world);
// Whether the counters will read at the end of this frame step exactly as last drawn: they do now,
// and nothing that could change them can happen during it (no soldier, no fire of any kind, no
// button or key down or just let go, no burst going on). Asked before the step's background.
bool statisticsSteady(const World& world);

}  // namespace mw
