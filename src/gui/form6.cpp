#include "gui/form6.h"

#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "gui/message_box.h"
#include "gui/screen_hub.h"
#include "gui/screen_layout.h"

using namespace h7;

namespace {
constexpr int kRowTops[5] = {1680, 2160, 2640, 3120, 3600};

QLabel* topLeftLabel(const QString& caption, QWidget* parent) {
  auto* label = new QLabel(caption, parent);
  label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  label->setWordWrap(true);
  return label;
}
}  // namespace

Form6::Form6(ScreenHub* main) : main_(main) {
  setAttribute(Qt::WA_DeleteOnClose);
  setUpScreen(this, "Form6", QStringLiteral("市区町村選択指定画面"), 3228, 4680);

  QLabel* note = place(topLeftLabel(QStringLiteral("　特定の市区町村を選択する場合に市区町村コード（３桁）を指定します。　　"
                                             "範囲での指定も可能です。　　　　　　　"
                                             "指定をしないとすべての市区町村が選択されます。"),
                              this),
                 "Label6", 120, 120, 2895, 975);
  QPalette p = note->palette();
  p.setColor(QPalette::WindowText, QColor(0, 0, 192));
  note->setPalette(p);
  place(topLeftLabel(QStringLiteral("選択開始市区町村番号"), this), "Label7", 600, 1200, 1095, 375);
  place(topLeftLabel(QStringLiteral("選択終了市区町村番号"), this), "Label8", 1920, 1200, 1095, 375);

  const QString startTip = QStringLiteral("選択する地区町村番号を入力する。範囲指定の場合は範囲の開始番号。");
  const QString endTip =
      QStringLiteral("範囲しての場合のみ範囲の終了番号を入力する。範囲指定ではない場合は空白のままとする。");
  const QString sets[5] = {QStringLiteral("１組"), QStringLiteral("２組"), QStringLiteral("３組"),
                           QStringLiteral("４組"), QStringLiteral("５組")};
  for (int i = 0; i < 5; ++i) {
    const int top = kRowTops[i];
    const QByteArray label = "Label" + QByteArray::number(i + 1);
    const QByteArray line = "Line" + QByteArray::number(i + 1);
    const QByteArray start = "Text" + QByteArray::number(2 * i + 1);
    const QByteArray end = "Text" + QByteArray::number(2 * i + 2);
    place(topLeftLabel(sets[i], this), label.constData(), 120, top, 375, i == 0 ? 255 : 375);
    // The line joins the start field to the end field, under both.
    auto* joiner = place(new QFrame(this), line.constData(), 1680, top + 240, 240, kTwipsPerPixel);
    joiner->setFrameStyle(QFrame::HLine | QFrame::Plain);
    fields_[2 * i] = place(new QLineEdit(this), start.constData(), 600, top, 1092, 372);
    fields_[2 * i + 1] = place(new QLineEdit(this), end.constData(), 1920, top, 1092, 372);
    fields_[2 * i]->setToolTip(startTip);
    fields_[2 * i + 1]->setToolTip(endTip);
  }
  for (QLineEdit* field : fields_) {
    field->setMaxLength(3);
    field->setFont(proportionalGothic());
  }
  auto* back = place(new QPushButton(QStringLiteral("戻る"), this), "Command1", 1320, 4200, 1812, 372);
  back->setToolTip(QStringLiteral("主画面に戻る"));

  // Tab order: the fields row by row, start then end, then 戻る.
  for (std::size_t i = 1; i < fields_.size(); ++i) setTabOrder(fields_[i - 1], fields_[i]);
  setTabOrder(fields_.back(), back);

  connect(back, &QPushButton::clicked, this, &Form6::goBack);
}

// Converted texts go back into their fields whatever the checks find; on success the
// main screen comes to the front and this screen stays open behind it.
void Form6::goBack() {
  std::array<QString, 10> texts;
  for (std::size_t i = 0; i < fields_.size(); ++i) texts[i] = fields_[i]->text();
  const std::optional<Failure> failure = main_->storeMunicipalities(texts);
  for (std::size_t i = 0; i < fields_.size(); ++i)
    if (fields_[i]->text() != texts[i]) fields_[i]->setText(texts[i]);
  if (failure) showMessage(this, errorMessage(*failure));
}
