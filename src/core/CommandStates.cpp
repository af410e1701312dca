#include "CommandStates.h"

namespace tilora {

void CommandMemory::mapShownAnew() {
    mapShown = true;
    closed = false;
    sheetReady = true;
    // The refresh enables the other tool buttons; the 1 x 1 pen's keeps its state, so it stays
    // the marked one only while it was.
    if (toolMark != ToolMark::Pen1) toolMark = ToolMark::None;
    zoomInArmed = false;
    zoomOutArmed = false;
    chipWindowMarked = true;
    mapWindowMarked = true;
}

void CommandMemory::mapLeft() {
    mapShown = false;
    closed = false;
    overwriteAllowed = false;
    sheetReady = false;
    sheetChosen = false;
    // Every tool button disabled, the 1 x 1 pen's too, whatever tool the map used: the next map's
    // refresh leaves that one marked. The view menu's marks stay as they are.
    toolMark = ToolMark::Pen1;
}

void CommandMemory::mapClosed() {
    closed = true;
    overwriteAllowed = false;
    chipWindowMarked = false;
    mapWindowMarked = false;
}

void CommandMemory::zoomArmed(int direction) {
    (direction > 0 ? zoomInArmed : zoomOutArmed) = true;
}

CommandStates commandStates(const CommandMemory& memory, const EditorFacts& facts) {
    CommandStates out;
    const auto row = [&out](Command command, bool enabled, bool checked = false) {
        out[command] = {enabled, checked};
    };
    const bool map = memory.mapShown;
    // The save, close and view-menu items of a map that is on screen and not closed.
    const bool open = map && !memory.closed;

    row(Command::NewMap, true);
    row(Command::OpenMap, true);
    row(Command::LoadMap, true);
    row(Command::Save, memory.overwriteAllowed);
    row(Command::SaveAs, open);
    row(Command::SaveKey, !memory.overwriteAllowed && open);
    row(Command::CloseMap, open);
    row(Command::Exit, true);
    row(Command::ChipWindowItem, memory.sheetReady && !memory.closed, memory.chipWindowMarked);
    row(Command::ChipWindowButton, memory.sheetReady);
    row(Command::MapWindowItem, open, memory.mapWindowMarked);
    row(Command::MapWindowButton, map);
    row(Command::Overview, map, facts.overviewWanted);
    row(Command::Grid, true, facts.gridShown);
    row(Command::StatusLine, true, facts.statusLineShown);
    row(Command::ZoomIn, map && !memory.zoomInArmed);
    row(Command::ZoomOut, map && !memory.zoomOutArmed);
    row(Command::Pen1, map && memory.toolMark != ToolMark::Pen1);
    row(Command::Pen2, map && memory.toolMark != ToolMark::Pen2);
    row(Command::Pen3, map && memory.toolMark != ToolMark::Pen3);
    row(Command::Pen4, map && memory.toolMark != ToolMark::Pen4);
    row(Command::Stamp, map && memory.toolMark != ToolMark::Stamp);
    row(Command::StampEditor, map);
    row(Command::Undo, map && facts.canUndo);
    row(Command::Redo, map && facts.canRedo);
    // A pending zoom pick owns the next click.
    row(Command::Fill, map && !facts.zoomPending);
    // The other tools that are armed likewise; the commands on the selection need one.
    row(Command::Select, map && !facts.zoomPending);
    row(Command::SelectAll, map);
    row(Command::Copy, map && facts.selection);
    row(Command::Cut, map && facts.selection);
    row(Command::Delete, map && facts.selection);
    row(Command::Paste, map && !facts.zoomPending);
    row(Command::PasteInPlace, map);
    row(Command::Capture, map && facts.selection);
    row(Command::Rectangle, map && !facts.zoomPending);
    row(Command::Line, map && !facts.zoomPending);
    row(Command::Disarm, facts.toolArmed || facts.selection);
    row(Command::Help, true);
    row(Command::About, true);
    row(Command::ConfirmNewMap, memory.sheetChosen);
    return out;
}

} // namespace tilora
