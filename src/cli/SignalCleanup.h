#pragma once
// A render writes its output to a temporary file beside the target (up to 768 MB for a large
// BMP) and renames it into place at the end. When SIGINT, SIGTERM or SIGHUP ends the tool
// half-way, the handler removes that file and then lets the signal end the process with its
// default action, so the shell or the parent still sees the tool ended by the signal.

namespace tilora::cli {

// Installs the handlers and the save's temporary-file watcher. A signal ignored when the tool
// starts (as under nohup) stays ignored. Process-wide: for the tool's main only.
void removeTemporaryFilesOnSignals();

} // namespace tilora::cli
