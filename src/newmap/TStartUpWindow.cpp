#include "newmap/TStartUpWindow.h"

#include "core/NewMap.h"
#include "core/SizeField.h"
#include "newmap/RefreshMapView.h"
#include "platform/EditorContext.h"
#include "platform/Fonts.h"
#include "platform/PictureWidget.h"
#include "platform/UiText.h"

#include <QCloseEvent>
#include <QFocusEvent>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace tilora {

namespace {

// The client area the controls are laid out in; the dialog itself opens maximised.
constexpr int DesignedClientWidth = 285;
constexpr int DesignedClientHeight = 283;

constexpr int SizeFieldMaxLength = 4; // so no value above 9999 can be typed

struct ComponentLayout {
    const char* name;
    const char* parent; // the group box holding it; nullptr: the form
    int left, top, width, height;
    const char* caption; // nullptr: none (Label5's caption is built below)
};

// Positions relative to the form's client area, or to the group box a component sits in.
const ComponentLayout kComponents[] = {
    {"Label5", nullptr, 8, 5, 273, 52, nullptr},
    {"GroupBox1", nullptr, 8, 64, 129, 73, QT_TRANSLATE_NOOP("tilora", "作成するマップの横幅")},
    {"Label1", "GroupBox1", 16, 16, 90, 12, QT_TRANSLATE_NOOP("tilora", "（チップの数です）")},
    {"Label3", "GroupBox1", 32, 32, 42, 12, "10-1000"},
    {"Edit1", "GroupBox1", 32, 48, 49, 20, "10"},
    {"GroupBox2", nullptr, 8, 144, 129, 73, QT_TRANSLATE_NOOP("tilora", "作成するマップの縦幅")},
    {"Label2", "GroupBox2", 24, 16, 90, 12, QT_TRANSLATE_NOOP("tilora", "（チップの数です）")},
    {"Label4", "GroupBox2", 32, 32, 42, 12, "10-1000"},
    {"Edit2", "GroupBox2", 32, 48, 49, 20, "10"},
    {"GroupBox5", nullptr, 152, 64, 129, 73, QT_TRANSLATE_NOOP("tilora", "使用するビットマップ")},
    {"Button2", "GroupBox5", 8, 24, 105, 25, QT_TRANSLATE_NOOP("tilora", "参照")},
    {"GroupBox3", nullptr, 152, 144, 129, 73, QT_TRANSLATE_NOOP("tilora", " 初期化チップの設定")},
    {"Image1", "GroupBox3", 48, 24, 32, 32, nullptr},
    {"Button1", nullptr, 8, 224, 273, 25, QT_TRANSLATE_NOOP("tilora", "決定")},
    {"Button3", nullptr, 8, 256, 273, 25, QT_TRANSLATE_NOOP("tilora", "キャンセル")},
};

// The notice at the top; its runs of ASCII blanks and ideographic spaces place the phrases on
// the label's lines: 3 blanks, the first phrase, 21 blanks, the second phrase, 2 ideographic
// spaces, the third phrase, 7 ideographic spaces, the fourth phrase, a blank, the last phrase.
const char* const kLabel5Caption =
    QT_TRANSLATE_NOOP("tilora", "   当ソフトでご使用頂けるマップチップは"
                                "                     "
                                "１チップ３２×３２ドットで構成されたビットマップです"
                                "　　"
                                "縦横幅が３２の倍数のビットマップでないと"
                                "　　　　　　　"
                                "誤動作の原因となります"
                                " "
                                "ご注意下さい");

void setCaption(QWidget* w, const QString& caption) {
    if (auto* label = qobject_cast<QLabel*>(w))
        label->setText(caption);
    else if (auto* box = qobject_cast<QGroupBox*>(w))
        box->setTitle(caption);
    else if (auto* button = qobject_cast<QPushButton*>(w))
        button->setText(caption);
    else if (auto* edit = qobject_cast<QLineEdit*>(w))
        edit->setText(caption);
}

void setTextColour(QWidget* w, QPalette::ColorRole role, const QColor& colour) {
    QPalette p = w->palette();
    p.setColor(role, colour);
    w->setPalette(p);
}

// The colour of an enabled control only: a disabled one keeps the style's greyed look.
void setEnabledTextColour(QWidget* w, QPalette::ColorRole role, const QColor& colour) {
    QPalette p = w->palette();
    p.setColor(QPalette::Active, role, colour);
    p.setColor(QPalette::Inactive, role, colour);
    w->setPalette(p);
}

} // namespace

TStartUpWindow::TStartUpWindow(EditorContext& app) : QWidget(nullptr), app_(app) {
    // Dialog border: title and close box only, no minimise or maximise button.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    setWindowTitle(uiText(QT_TRANSLATE_NOOP("tilora", "初期設定")));
    setFont(layoutFont(PGothic, 12));
    setTextColour(this, QPalette::Window, palette().color(QPalette::Button));
    setAutoFillBackground(true);
    resize(DesignedClientWidth, DesignedClientHeight);

    Label5 = new QLabel(this);
    GroupBox1 = new QGroupBox(this);
    Label1 = new QLabel(GroupBox1);
    Label3 = new QLabel(GroupBox1);
    Edit1 = new QLineEdit(GroupBox1);
    GroupBox2 = new QGroupBox(this);
    Label2 = new QLabel(GroupBox2);
    Label4 = new QLabel(GroupBox2);
    Edit2 = new QLineEdit(GroupBox2);
    GroupBox5 = new QGroupBox(this);
    Button2 = new QPushButton(GroupBox5);
    GroupBox3 = new QGroupBox(this);
    Image1 = new PictureWidget(GroupBox3);
    Button1 = new QPushButton(this);
    Button3 = new QPushButton(this);

    const std::pair<QWidget*, const char*> names[] = {
        {Label5, "Label5"},       {GroupBox1, "GroupBox1"}, {Label1, "Label1"},
        {Label3, "Label3"},       {Edit1, "Edit1"},         {GroupBox2, "GroupBox2"},
        {Label2, "Label2"},       {Label4, "Label4"},       {Edit2, "Edit2"},
        {GroupBox5, "GroupBox5"}, {Button2, "Button2"},     {GroupBox3, "GroupBox3"},
        {Image1, "Image1"},       {Button1, "Button1"},     {Button3, "Button3"}};
    for (const auto& [widget, name] : names)
        widget->setObjectName(QLatin1String(name));
    for (const ComponentLayout& c : kComponents) {
        QWidget* w = findChild<QWidget*>(QLatin1String(c.name));
        w->setGeometry(c.left, c.top, c.width, c.height);
        if (c.caption) setCaption(w, uiText(c.caption));
    }
    // The small labels size themselves to their text (only Label5 has a fixed size): the laid-out
    // size is what the text took in the layout's font, and a wider substitute must not clip it.
    for (QLabel* label : {Label1, Label2, Label3, Label4}) {
        label->resize(label->size().expandedTo(label->sizeHint()));
    }

    Label5->setText(uiText(kLabel5Caption));
    Label5->setWordWrap(true);
    Label5->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    Label5->setAutoFillBackground(true);
    setTextColour(Label5, QPalette::Window, Qt::white);
    setTextColour(Label5, QPalette::WindowText, Qt::black);

    for (QLineEdit* edit : {Edit1, Edit2}) {
        edit->setMaxLength(SizeFieldMaxLength);
        edit->setFont(layoutFont(PGothic, 16, true));
        setTextColour(edit, QPalette::Text, Qt::black);
        edit->installEventFilter(this);
    }

    Image1->setBitmap(Bitmap(ChipPixels, ChipPixels));
    Image1->hide();

    Button1->setFont(layoutFont(Gothic, 15));
    // Enabled once a sheet is chosen (core/CommandStates).
    setEnabledTextColour(Button1, QPalette::ButtonText, Qt::black);
    // No default (Enter) or cancel (Escape) button.
    for (QPushButton* b : {Button1, Button2, Button3}) {
        b->setAutoDefault(false);
        b->setDefault(false);
    }

    // Button1, GroupBox1 (Edit1), GroupBox2 (Edit2), GroupBox5 (Button2), Button3; GroupBox3
    // holds nothing that takes the focus.
    setTabOrder(Button1, Edit1);
    setTabOrder(Edit1, Edit2);
    setTabOrder(Edit2, Button2);
    setTabOrder(Button2, Button3);

    connect(Button1, &QPushButton::clicked, this, &TStartUpWindow::Button1Click);
    connect(Button2, &QPushButton::clicked, this, &TStartUpWindow::Button2Click);
    connect(Button3, &QPushButton::clicked, this, &TStartUpWindow::Button3Click);

    // Every later show() opens maximised too, not only showDialog().
    setWindowState(Qt::WindowMaximized);
}

void TStartUpWindow::checkField(QLineEdit* field) {
    if (const auto corrected = checkSizeField(field->text().toStdString())) {
        field->setText(QString::fromStdString(*corrected));
    }
}

void TStartUpWindow::Edit1Exit() {
    checkField(Edit1);
}
void TStartUpWindow::Edit2Exit() {
    checkField(Edit2);
}

void TStartUpWindow::Button1Click() {
    // The check runs again here: a click from code, or a toolkit that does not move the focus
    // first, must never set up a map outside 10..1000.
    Edit1Exit();
    Edit2Exit();
    EditorState& s = app_.State;
    // The sheet tried in this dialog becomes the map's.
    app_.acceptTriedSheet();
    startNewMap(s, sizeFieldValue(Edit1->text().toStdString()),
                sizeFieldValue(Edit2->text().toStdString()));
    app_.History.clear();
    RefreshMapView(app_);
    app_.saveDialog().FileName.clear();
    s.MapModified = 1;
}

void TStartUpWindow::Button3Click() {
    // The map keeps the sheet it had: picture, name and current chip as before the dialog.
    app_.putBackSheet();
    app_.setChipWindowShown(false);
    hide();
}

void TStartUpWindow::FormClose() {
    Button3Click();
}

void TStartUpWindow::showDialog() {
    // Fills the screen's work area each time it opens; the controls keep their places at the
    // top left.
    showMaximized();
}

void TStartUpWindow::showChipPreview(int left, int top) {
    if (Image1->bitmap().isNull()) Image1->setBitmap(Bitmap(ChipPixels, ChipPixels));
    stretchBlt(Image1->bitmap(), Rect{0, 0, ChipPixels, ChipPixels}, app_.sheet(),
               Rect{left, top, ChipPixels, ChipPixels});
    Image1->refresh();
}

void TStartUpWindow::closeEvent(QCloseEvent* event) {
    // Only the user's close box on the open dialog abandons; closing a hidden dialog does nothing.
    if (isVisible()) FormClose();
    event->accept();
}

bool TStartUpWindow::eventFilter(QObject* watched, QEvent* event) {
    // Leaving a field checks it; a context menu opening over the field is not leaving it.
    if (event->type() == QEvent::FocusOut &&
        static_cast<QFocusEvent*>(event)->reason() != Qt::PopupFocusReason) {
        if (watched == Edit1)
            Edit1Exit();
        else if (watched == Edit2)
            Edit2Exit();
    }
    return QWidget::eventFilter(watched, event);
}

} // namespace tilora
