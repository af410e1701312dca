#pragma once
// A tool of the map view. The window turns the pointer's pixel into a cell and hands each press,
// move and release over the view to the tool that is active; MapTools decides which one that is
// and arms and disarms them.

#include "core/Painting.h"
#include "platform/ShapeWidget.h"

#include <QString>
#include <Qt>

namespace tilora {

class MapViewPort;
class MapTools;
class TMapWindow;

// A pointer event over the map view, its pixel already turned into a cell.
struct ToolEvent {
    // The button pressed or released; Qt::NoButton for a move.
    Qt::MouseButton button = Qt::NoButton;
    Qt::KeyboardModifiers modifiers;
    // The map cell under the pointer: the view's origin plus the hover cell, which the cell
    // cursor frames.
    Anchor cell;
};

// What a tool works with: the editor behind the view, the map window, and the tools around it.
struct ToolContext {
    MapViewPort& app;
    TMapWindow& window;
    MapTools& tools;
};

class MapTool {
  public:
    explicit MapTool(const ToolContext& context) : ctx(context) {}
    virtual ~MapTool() = default;
    MapTool(const MapTool&) = delete;
    MapTool& operator=(const MapTool&) = delete;
    MapTool(MapTool&&) = delete;
    MapTool& operator=(MapTool&&) = delete;

    // A left press on the view. True captures the pointer: the moves with the button held and the
    // release come to this tool (a press-drag-release tool). False lets them go unseen, as the
    // pen's run wants: it is started by a click and goes on by moves with no button held.
    virtual bool press(const ToolEvent& event) = 0;
    // A move with the button held, after a press this tool captured; the cursor is on the cell.
    virtual void move(const ToolEvent& /*event*/) {}
    // The captured press's button released.
    virtual void release(const ToolEvent& /*event*/) {}
    // A move with no button held, the cursor already on the new cell.
    virtual void hover(const ToolEvent& /*event*/) {}
    // The pointer's path is broken: it left the view, or the view was laid out anew.
    virtual void leave() {}
    // The cell cursor's shape and hint while the tool is active.
    virtual ShapeWidget::Shape cursor() const { return ShapeWidget::Shape::RoundSquare; }
    virtual QString hint() const { return {}; }
    // Ends what the tool has going (a run, a drag, a preview): a right click does it for every
    // tool, and disarming does it for the armed tool.
    virtual void cancel() {}
    // A run that goes on whichever tool is active: the moves with no button held reach the tool
    // too (the pen's, from a left click to a right click).
    virtual bool running() const { return false; }
    // An armed tool that serves one press only: the press disarms it.
    virtual bool oneShot() const { return false; }
    // Arming it ends every run going on (a pen run would otherwise go on painting under a tool
    // that works by dragging).
    virtual bool endsRuns() const { return false; }
    // An armed tool that a right click only drops (a paste waiting for its place), picking no
    // chip.
    virtual bool dropsOnRightClick() const { return false; }

  protected:
    const ToolContext ctx;
};

} // namespace tilora
