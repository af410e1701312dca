#pragma once
// What the editor remembers across runs: whether the overview, the map view's grid and its
// status line are shown. Nothing else is kept; everything starts as laid out, these three off.
// They live in the user's settings (on Linux, $XDG_CONFIG_HOME/Tilora/tilora.conf).

namespace tilora {

struct ViewPreferences {
    bool overview = false;
    bool grid = false;
    bool statusLine = false;

    static ViewPreferences load();
    void save() const;
};

} // namespace tilora
