#pragma once
// Follows the map file and the chip sheet on disk. A sheet rewritten from outside is loaded again
// at once (one that now breaks the sheet rules is kept as it was, with a message); a map file
// rewritten from outside is loaded again silently when nothing is unsaved, and after a question
// otherwise; a map file deleted or renamed away leaves the map open and unsaved. The editor's own
// saves change nothing: after a save or a load the file's stamp is taken as known, and a file
// that holds exactly what the editor shows is never loaded again.
//
// The system's notices (QFileSystemWatcher on each file and on its folder, since a safe save
// renames a new file over the old one and the watch on the old one ends with it) start a short
// wait for the writer to finish; a poll each second keeps the watched paths in step with the
// editor and catches what a notice missed.

#include "core/MapOnDisk.h"

#include <QObject>
#include <QTimer>

#include <string>

class QFileSystemWatcher;

namespace tilora {

class Application;

class FileWatch : public QObject {
  public:
    static constexpr int SettleMs = 500;
    static constexpr int PollMs = 1000;

    explicit FileWatch(Application& app);
    ~FileWatch() override;

    void start();
    // The map file holds what the editor shows (it was just saved or loaded).
    void mapMatchesFile();
    // Compares both files with what was last seen and acts on a change. Waits while a modal box
    // or dialog is open, so a command in progress never sees the map change under it.
    void check();

  private:
    // The watched paths follow the current map file (while a map is shown) and sheet.
    void follow();
    void checkMap();
    void checkSheet();
    // The file's version replaces the editor's; a load that fails leaves the map unsaved.
    void reloadMap();
    void markUnsaved();

    Application& app_;
    QFileSystemWatcher* watcher_ = nullptr; // made when there is first something to watch
    QTimer settle_;
    QTimer poll_;
    std::string mapPath_;
    std::string sheetPath_;
    FileStamp mapSeen_;
    FileStamp sheetSeen_;
    bool checking_ = false;
};

} // namespace tilora
