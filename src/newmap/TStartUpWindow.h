#pragma once
// The new-map dialog ("初期設定"): the chip sheet, the initial chip and the map's size.

#include <QWidget>

class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace tilora {

class NewMapPort;
class PictureWidget;

class TStartUpWindow : public QWidget {
    Q_OBJECT
  public:
    explicit TStartUpWindow(NewMapPort& app);

    QLabel* Label5 = nullptr;
    QGroupBox* GroupBox1 = nullptr;
    QLabel* Label1 = nullptr;
    QLabel* Label3 = nullptr;
    QLineEdit* Edit1 = nullptr; // width, at most 4 characters
    QGroupBox* GroupBox2 = nullptr;
    QLabel* Label2 = nullptr;
    QLabel* Label4 = nullptr;
    QLineEdit* Edit2 = nullptr; // height, at most 4 characters
    QGroupBox* GroupBox5 = nullptr;
    QPushButton* Button2 = nullptr; // "参照"
    QGroupBox* GroupBox3 = nullptr;
    PictureWidget* Image1 = nullptr; // the initial-chip preview, 32 x 32
    QPushButton* Button1 = nullptr;  // "決定"
    QPushButton* Button3 = nullptr;  // "キャンセル"

    void Edit1Exit();
    void Edit2Exit();
    void Button2Click(); // choose the chip sheet
    void Button1Click(); // create the map
    void Button3Click(); // abandon
    void FormClose();    // abandon by the close box

    // Shown maximised to the work area each time, controls at the top left.
    void showDialog();
    // The initial-chip preview shows the chip at sheet pixel (left, top).
    void showChipPreview(int left, int top);

  protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    // The size field check: "1000" above 1000, "10" below 10, otherwise the text stays.
    void checkField(QLineEdit* field);

    NewMapPort& app_;
};

} // namespace tilora
