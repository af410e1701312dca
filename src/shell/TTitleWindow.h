#pragma once
// The splash: a borderless picture shown for a few seconds at start.

#include <QWidget>

class QLabel;

namespace tilora {

class Application;

class TTitleWindow : public QWidget {
    Q_OBJECT
  public:
    explicit TTitleWindow(Application& app);
    QLabel* Image1 = nullptr; // 320 x 128 picture; the window shows its top-left 318 x 127

  protected:
    // The splash goes away on its own; the user cannot close it.
    void closeEvent(QCloseEvent* event) override;
};

} // namespace tilora
