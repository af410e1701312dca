#include "core/CommandStates.h"

#include <gtest/gtest.h>

#include <functional>
#include <set>

namespace tilora {
namespace {

using Commands = std::set<Command>;
using C = Command;

Commands operator+(Commands a, const Commands& b) {
    a.insert(b.begin(), b.end());
    return a;
}
Commands operator-(Commands a, const Commands& b) {
    for (Command c : b)
        a.erase(c);
    return a;
}

Commands enabledOf(const CommandStates& states) {
    Commands on;
    for (int c = 0; c < CommandCount; ++c)
        if (states[Command(c)].enabled) on.insert(Command(c));
    return on;
}

const Commands Always = {C::NewMap, C::OpenMap,    C::LoadMap, C::Exit,
                         C::Grid,   C::StatusLine, C::Help,    C::About};
// A map on screen as the full refresh leaves it after start-up: the 1 x 1 pen marked.
const Commands MapItems = {C::SaveAs,        C::SaveKey,  C::CloseMap,         C::ChipWindowItem,
                           C::MapWindowItem, C::Overview, C::ChipWindowButton, C::MapWindowButton};
const Commands MapToolbar = {C::ZoomIn, C::ZoomOut, C::Pen2,        C::Pen3,
                             C::Pen4,   C::Stamp,   C::StampEditor, C::Fill};
// The map tools that are armed, none while a zoom pick waits for its click.
const Commands ArmedTools = {C::Fill, C::Select, C::Paste, C::Rectangle, C::Line};
const Commands MapOn =
    Always + MapItems + MapToolbar + ArmedTools + Commands{C::SelectAll, C::PasteInPlace};

struct Row {
    const char* name;
    std::function<void(CommandMemory&, EditorFacts&)> events;
    Commands enabled;
};

TEST(CommandStates, EnabledStatesFromTheEditorsState) {
    const auto shown = [](CommandMemory& m, EditorFacts&) { m.mapShownAnew(); };
    const Row rows[] = {
        {"at start", [](CommandMemory&, EditorFacts&) {}, Always},
        {"a map shown: the 1 x 1 pen stays marked", shown, MapOn},
        {"pen 3 chosen",
         [&](CommandMemory& m, EditorFacts& f) {
             shown(m, f);
             m.toolChosen(ToolMark::Pen3);
         },
         MapOn + Commands{C::Pen1} - Commands{C::Pen3}},
        {"pen 3, then a refresh: every tool button on, the 1 x 1 pen's kept its state",
         [&](CommandMemory& m, EditorFacts& f) {
             shown(m, f);
             m.toolChosen(ToolMark::Pen3);
             m.mapShownAnew();
         },
         MapOn + Commands{C::Pen1}},
        {"stamp chosen",
         [&](CommandMemory& m, EditorFacts& f) {
             shown(m, f);
             m.toolChosen(ToolMark::Stamp);
         },
         MapOn + Commands{C::Pen1} - Commands{C::Stamp}},
        {"the new-map command after pen 3: every map command off",
         [&](CommandMemory& m, EditorFacts& f) {
             shown(m, f);
             m.toolChosen(ToolMark::Pen3);
             m.allowOverwrite();
             m.mapLeft();
         },
         Always},
        {"the next map shown: the 1 x 1 pen marked again",
         [&](CommandMemory& m, EditorFacts& f) {
             shown(m, f);
             m.toolChosen(ToolMark::Pen3);
             m.mapLeft();
             m.mapShownAnew();
         },
         MapOn},
        {"saved under a name: overwrite, no save key",
         [&](CommandMemory& m, EditorFacts& f) {
             shown(m, f);
             m.allowOverwrite();
         },
         MapOn + Commands{C::Save} - Commands{C::SaveKey}},
        {"a load after a save under a name keeps the overwrite",
         [&](CommandMemory& m, EditorFacts& f) {
             shown(m, f);
             m.allowOverwrite();
             m.mapShownAnew();
         },
         MapOn + Commands{C::Save} - Commands{C::SaveKey}},
        {"closed: the save, close and view items go, the toolbar keeps its buttons",
         [&](CommandMemory& m, EditorFacts& f) {
             shown(m, f);
             m.allowOverwrite();
             m.mapClosed();
         },
         MapOn - Commands{C::SaveAs, C::SaveKey, C::CloseMap, C::ChipWindowItem, C::MapWindowItem}},
        {"a save under a name after closing (asked before a load)",
         [&](CommandMemory& m, EditorFacts& f) {
             shown(m, f);
             m.mapClosed();
             m.allowOverwrite();
         },
         MapOn + Commands{C::Save} -
             Commands{C::SaveAs, C::SaveKey, C::CloseMap, C::ChipWindowItem, C::MapWindowItem}},
        {"the new-map dialog after closing: a sheet tried offers the palette",
         [&](CommandMemory& m, EditorFacts& f) {
             shown(m, f);
             m.mapClosed();
             m.mapLeft();
             m.sheetTried();
         },
         Always + Commands{C::ChipWindowItem, C::ChipWindowButton, C::ConfirmNewMap}},
        {"the dialog abandoned: the palette's commands go, the hidden dialog keeps its confirm",
         [](CommandMemory& m, EditorFacts&) {
             m.sheetTried();
             m.newMapAbandoned();
         },
         Always + Commands{C::ConfirmNewMap}},
        {"zoom in armed: no fill while the pick waits",
         [&](CommandMemory& m, EditorFacts& f) {
             shown(m, f);
             m.zoomArmed(+1);
             f.zoomPending = true;
         },
         MapOn - Commands{C::ZoomIn} - ArmedTools},
        {"zoom in and out armed, then the pick's refresh",
         [&](CommandMemory& m, EditorFacts& f) {
             shown(m, f);
             m.zoomArmed(+1);
             m.zoomArmed(-1);
             m.mapShownAnew();
         },
         MapOn},
        {"zoom pick still pending when a new map is shown",
         [&](CommandMemory& m, EditorFacts& f) {
             shown(m, f);
             m.zoomArmed(-1);
             m.mapLeft();
             m.mapShownAnew();
             f.zoomPending = true;
         },
         MapOn - ArmedTools},
        {"steps to undo and redo",
         [&](CommandMemory& m, EditorFacts& f) {
             shown(m, f);
             f.canUndo = f.canRedo = true;
         },
         MapOn + Commands{C::Undo, C::Redo}},
        {"steps to undo, no map on screen",
         [](CommandMemory&, EditorFacts& f) { f.canUndo = f.canRedo = true; }, Always},
        {"a tool armed", [](CommandMemory&, EditorFacts& f) { f.toolArmed = true; },
         Always + Commands{C::Disarm}},
        {"a selection: the commands on it, and Esc to drop it",
         [&](CommandMemory& m, EditorFacts& f) {
             shown(m, f);
             f.selection = true;
         },
         MapOn + Commands{C::Copy, C::Cut, C::Delete, C::Capture, C::Disarm}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        CommandMemory memory;
        EditorFacts facts;
        row.events(memory, facts);
        EXPECT_EQ(enabledOf(commandStates(memory, facts)), row.enabled);
    }
}

TEST(CommandStates, CheckMarks) {
    CommandMemory m;
    EditorFacts f;
    const auto checked = [&](Command c) { return commandStates(m, f)[c].checked; };
    m.mapShownAnew();
    EXPECT_TRUE(checked(C::ChipWindowItem) && checked(C::MapWindowItem));
    m.mapWindowMarked = false; // the map window's close box
    m.mapLeft();               // the marks stay as they are
    EXPECT_TRUE(checked(C::ChipWindowItem));
    EXPECT_FALSE(checked(C::MapWindowItem));
    m.mapShownAnew();
    m.mapClosed();
    EXPECT_FALSE(checked(C::ChipWindowItem) || checked(C::MapWindowItem));
    f.overviewWanted = f.statusLineShown = true;
    EXPECT_TRUE(checked(C::Overview) && checked(C::StatusLine));
    EXPECT_FALSE(checked(C::Grid));
}

} // namespace
} // namespace tilora
