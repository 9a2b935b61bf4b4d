#include "gui/form4.h"

#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "gui/message_box.h"
#include "gui/screen_hub.h"
#include "gui/screen_layout.h"

using namespace h7;

namespace {
constexpr int kRowTops[5] = {1320, 1800, 2280, 2760, 3240};

QLabel* label(QWidget* parent, const QString& caption) {
  auto* l = new QLabel(caption, parent);
  l->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  l->setWordWrap(true);
  return l;
}

QLineEdit* field(QWidget* parent, int maxLength, const QString& tooltip) {
  auto* t = new QLineEdit(parent);
  t->setMaxLength(maxLength);
  t->setFont(proportionalGothic());
  t->setToolTip(tooltip);
  return t;
}

// A one-pixel horizontal line from x `left` to `right` (twips) drawn behind the fields.
QFrame* line(QWidget* parent, const char* name, int left, int right, int y) {
  auto* f = place(new QFrame(parent), name, left, y, right - left, kTwipsPerPixel);
  f->setFrameShape(QFrame::HLine);
  f->setFrameShadow(QFrame::Plain);
  f->setLineWidth(1);
  f->lower();
  return f;
}
}  // namespace

Form4::Form4(ScreenHub* main) : main_(main) {
  setAttribute(Qt::WA_DeleteOnClose);
  setUpScreen(this, "Form4", QStringLiteral("選択項目指定画面"), 3924, 4344);

  const QString startTip = QStringLiteral("選択する項目番号。範囲指定の場合は開始項目番号を指定する。");
  const QString endTip = QStringLiteral("範囲指定の場合には終了項目番号を指定する。範囲指定でない場合は空白のままでよい。");
  const QString intervalTip = QStringLiteral("範囲指定でかつ１以外の間隔で選択する場合のみその数値を記入する");
  const QString setCaptions[5] = {QStringLiteral("１組"), QStringLiteral("２組"), QStringLiteral("３組"),
                                  QStringLiteral("４組"), QStringLiteral("５組")};
  // Created row by row (start, end, interval), which is also the focus order.
  for (int i = 0; i < 5; ++i) {
    const int top = kRowTops[i];
    const QByteArray n1 = "Text" + QByteArray::number(3 * i + 1), n2 = "Text" + QByteArray::number(3 * i + 2),
                     n3 = "Text" + QByteArray::number(3 * i + 3);
    fields_[std::size_t(3 * i)] = place(field(this, 4, startTip), n1.constData(), 600, top, 972, 372);
    fields_[std::size_t(3 * i + 1)] = place(field(this, 4, endTip), n2.constData(), 1800, top, 852, 372);
    fields_[std::size_t(3 * i + 2)] = place(field(this, 2, intervalTip), n3.constData(), 3000, top, 492, 372);
    const QByteArray l = "Label" + QByteArray::number(i + 1);
    place(label(this, setCaptions[i]), l.constData(), 120, top, 372, 252);
    const QByteArray la = "Line" + QByteArray::number(2 * i + 1), lb = "Line" + QByteArray::number(2 * i + 2);
    line(this, la.constData(), 1560, 1800, top + 240);
    line(this, lb.constData(), 2640, 3000, top + 240);
  }

  auto* backButton = place(new QPushButton(QStringLiteral("戻る"), this), "Command1", 2400, 3840, 1092, 372);
  backButton->setToolTip(QStringLiteral("主画面へ戻ります"));
  QLabel* note = place(label(this, QStringLiteral("選択出力する項目番号を開始欄に指定します。　終了番号の指定で範囲選択も可能です。")),
                       "Label6", 120, 120, 3735, 495);
  QPalette p = note->palette();
  p.setColor(QPalette::WindowText, QColor(0, 0, 255));
  note->setPalette(p);
  place(label(this, QStringLiteral("選択開始項目番号")), "Label7", 720, 840, 852, 372);
  place(label(this, QStringLiteral("選択終了項目番号")), "Label8", 1920, 840, 852, 372);
  place(label(this, QStringLiteral("選択間隔")), "Label9", 3000, 840, 492, 372);
  auto* list = place(new QPushButton(QStringLiteral("一覧表の表示"), this), "Command2", 360, 3840, 1812, 372);
  list->setToolTip(QStringLiteral("項目番号と項目名称の一覧表を表示します"));

  // Focus: the fifteen fields row by row, then 戻る, then 一覧表の表示.
  for (std::size_t i = 1; i < fields_.size(); ++i) setTabOrder(fields_[i - 1], fields_[i]);
  setTabOrder(fields_.back(), backButton);
  setTabOrder(backButton, list);

  connect(backButton, &QPushButton::clicked, this, &Form4::back);
  connect(list, &QPushButton::clicked, this, [this] { main_->showItemList(); });
}

// The fields are converted and written back whatever the checks find; on success the
// main screen comes to the front, this screen stays open.
void Form4::back() {
  std::array<QString, 15> texts;
  for (std::size_t i = 0; i < texts.size(); ++i) texts[i] = fields_[i]->text();
  const std::optional<Failure> failure = main_->storeItemSets(texts);
  for (std::size_t i = 0; i < texts.size(); ++i) fields_[i]->setText(texts[i]);
  if (failure) showMessage(this, errorMessage(*failure));
}
