#pragma once
// The editor's side of crash recovery: every few seconds the unsaved map is handed to the
// recovery keeper (core/RecoveryKeeper), which writes a copy on its worker; at start-up the copies
// of editors that no longer run are offered back one by one.

#include "core/RecoveryKeeper.h"

#include <QObject>
#include <QTimer>

#include <string>

namespace tilora {

class Application;

class Recovery : public QObject {
  public:
    // How often the map is compared with its copy: a change is copied within this time and
    // written right after, well within ten seconds.
    static constexpr int TickMs = 4000;

    Recovery(Application& app, std::string folder);
    // A clean end removes the copy; one while an error unwinds the program keeps it for the next
    // start.
    ~Recovery() override;

    void start();
    // Hands the map to the keeper, or has the copy removed when nothing is unsaved; shows the
    // first failure to write a copy, once.
    void tick();
    // The map was saved or loaded: its copy goes at once.
    void mapMatchesFile();
    // At start-up, before the first command: each orphaned copy in a "復元" question; "はい"
    // opens it as an unsaved map with its file name and sheet, "いいえ" deletes it. Runs once.
    void offerOrphans();

    RecoveryKeeper& keeper() { return keeper_; }

  private:
    RecoveryInfo currentInfo() const;
    bool restore(OrphanCopy& orphan, const RecoveredMap& copy);

    Application& app_;
    RecoveryKeeper keeper_;
    QTimer timer_;
    bool offered_ = false;
    bool warned_ = false;
};

} // namespace tilora
