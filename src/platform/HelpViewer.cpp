#include "platform/HelpViewer.h"

#include "platform/Fonts.h"
#include "platform/UiText.h"

#include <QFile>
#include <QPointer>
#include <QTextBrowser>
#include <QVBoxLayout>

namespace tilora {

namespace {

constexpr int InitialWidth = 640;
constexpr int InitialHeight = 560;

QPointer<HelpViewer>& openViewer() {
    static QPointer<HelpViewer> viewer;
    return viewer;
}

} // namespace

HelpViewer::HelpViewer(QWidget* owner)
    : QWidget(owner, Qt::Window), browser_(new QTextBrowser(this)) {
    setWindowTitle(HelpCaption);
    setObjectName(QStringLiteral("HelpViewer"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(browser_);
    browser_->setFont(layoutFont(PGothic, 14));
    // Links within the document stay here; links to the web go to the user's browser.
    browser_->setOpenExternalLinks(true);
    resize(InitialWidth, InitialHeight);
    home();
}

void HelpViewer::home() {
    if (QFile::exists(QLatin1Char(':') + HelpDocument.path())) {
        browser_->setSource(HelpDocument);
    } else {
        browser_->setHtml(
            uiText(QT_TRANSLATE_NOOP("tilora", "<p>ヘルプ文書が見つかりません（%1）</p>"))
                .arg(HelpDocument.toString()));
    }
}

HelpViewer* HelpViewer::open(QWidget* owner) {
    QPointer<HelpViewer>& viewer = openViewer();
    if (!viewer) {
        viewer = new HelpViewer(owner ? owner->window() : nullptr);
        // A viewer with no window to go with is freed when closed; one that has an owner lives
        // as long as the owner and is only hidden.
        if (!owner) viewer->setAttribute(Qt::WA_DeleteOnClose);
    }
    if (viewer->isMinimized()) viewer->showNormal();
    viewer->show();
    viewer->raise();
    viewer->activateWindow();
    return viewer;
}

HelpViewer* HelpViewer::current() {
    return openViewer();
}

} // namespace tilora
