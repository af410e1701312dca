#pragma once
// The help viewer: a window of its own showing the editor's help document, which ships inside
// the program as a Qt resource. One viewer at a time; asking again brings it to the front.

#include "platform/UiText.h"

#include <QString>
#include <QUrl>
#include <QWidget>

class QTextBrowser;

namespace tilora {

// Where the help document lives among the program's resources.
inline const QUrl HelpDocument{QStringLiteral("qrc:/help/index.html")};
inline const UiText HelpCaption{QT_TRANSLATE_NOOP("tilora", "Tilora ヘルプ")};

class HelpViewer : public QWidget {
    Q_OBJECT
  public:
    explicit HelpViewer(QWidget* owner = nullptr);

    QTextBrowser* browser() const { return browser_; }
    // Back to the document's first page.
    void home();

    // Shows the viewer, creating it on first use (as a window of owner's, so it goes with it),
    // or raises the one already open. Returns it.
    static HelpViewer* open(QWidget* owner);
    // The viewer now open, or null.
    static HelpViewer* current();

  private:
    QTextBrowser* browser_;
};

} // namespace tilora
