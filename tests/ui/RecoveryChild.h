#pragma once
// The editor the recovery test kills: this test program started again with
// `--recovery-child MAP` opens MAP, paints one cell with a click on the map view, waits for its
// own recovery timer to write the copy, prints "written <milliseconds since the click>" and then
// runs until it is killed.

namespace tilora::test {

inline constexpr const char* RecoveryChildOption = "--recovery-child";
// The chip the child paints at view cell (row 2, column 3).
inline constexpr int ChildChip = 9;
inline constexpr int ChildRow = 2;
inline constexpr int ChildCol = 3;

int runRecoveryChild(const char* mapPath);

} // namespace tilora::test
