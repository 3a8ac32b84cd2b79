#pragma once
// Switches for tests and measurements, read from the environment once, here and nowhere else.
namespace base {

struct DebugSwitches {
    // MAGNIFIER_NO_SHM: read the screen with plain X requests even where shared memory would work.
    bool noSharedMemory = false;
    // MAGNIFIER_STATS: print "magnifier: frames N" at exit, to measure the cost of a frame.
    bool frameStats = false;
    // MAGNIFIER_NO_CHANGE_EVENTS: learn of screen changes and pointer moves by comparing, not from
    // the X server's Damage and XInput2 events.
    bool noChangeEvents = false;
    // MAGNIFIER_NO_XRENDER: draw the view in the program and send it to the X server, as on a
    // server without the Render extension, even where the server could draw it itself.
    bool noServerDrawing = false;
};

const DebugSwitches& debugSwitches();

}  // namespace base
