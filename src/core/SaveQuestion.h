#pragma once
// The unsaved-changes question asked before a command would drop the map, and what each answer
// leads to.

namespace tilora {

// The command asking: a new map (which then goes back to the state without a map), closing the
// map, or loading another map or leaving the program (which offer no Cancel).
enum class AskMode { NewMap, CloseMap, LoadOrExit };

enum class SaveReply { Yes, No, Cancel };

enum class SaveDecision {
    Stop,      // the command goes no further
    SaveFirst, // save; the command goes on only if the map was written
    GoOn,      // the command goes on and the changes are dropped
};

// Whether the question offers Cancel beside Yes and No.
bool offersCancel(AskMode mode);

// What the reply leads to. A Cancel (or a box dismissed without a choice) stops the command in
// every mode, offered or not: only an explicit No drops the changes.
SaveDecision decideOnSave(SaveReply reply);

} // namespace tilora
