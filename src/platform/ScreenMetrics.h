#pragma once
// The display's size and colour depth.

namespace tilora {

struct ScreenMetrics {
    int width = 1024;
    int height = 768;
    int bitsPerPixel = 16;

    // From the primary screen; the colour depth is QScreen::depth().
    static ScreenMetrics fromPrimaryScreen();
};

} // namespace tilora
