#include "gui/form1.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QMimeData>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <algorithm>

#include "core/groups.h"
#include "core/item_set_rule.h"
#include "core/municipality_rule.h"
#include "core/picker_paths.h"
#include "core/prefecture_rule.h"
#include "extract/item_names.h"
#include "extract/picker_places.h"
#include "extract/run.h"
#include "gui/form2.h"
#include "gui/form4.h"
#include "gui/form5.h"
#include "gui/form6.h"
#include "gui/message_box.h"
#include "gui/run_controller.h"
#include "gui/screen_layout.h"

using namespace h7;

namespace {
constexpr int kPrefectureLength = 2;  // characters the user may type into Text3

QColor buttonTextColour() { return QApplication::palette().color(QPalette::ButtonText); }

// The path that a drop from a file manager gives a field: the input folder field takes a
// dropped folder or archive, or the folder of another dropped file; the output file field a
// dropped file. Empty: the drop is not for this field.
QString droppedPath(const QMimeData* data, bool folderField) {
  if (!data->hasUrls() || data->urls().isEmpty() || !data->urls().first().isLocalFile()) return {};
  const QFileInfo info(data->urls().first().toLocalFile());
  if (folderField)
    return fieldPath(info.isDir() || startsAsArchive(info.absoluteFilePath()) ? info.absoluteFilePath() : info.absolutePath());
  return info.isDir() ? QString() : fieldPath(info.absoluteFilePath());
}

void setTextColour(QRadioButton* option, const QColor& colour) {
  QPalette p = option->palette();
  p.setColor(QPalette::WindowText, colour);
  p.setColor(QPalette::ButtonText, colour);
  option->setPalette(p);
}
}  // namespace

Form1::Form1(QWidget* parent) : QWidget(parent) {
  setUpScreen(this, "Form1", QStringLiteral("平成7年国勢調査小地域集計（指標値型）データ選択"), 6288, 5592);
  params_.B_Path = QCoreApplication::applicationDirPath();
  buildControls();
  connectControls();
}

// The controls in their places, with their texts, tips, tab order and first states.
void Form1::buildControls() {

  Label2 = place(new QLabel(QStringLiteral("被選択データの所在ドライブ・フォルダ"), this), "Label2", 240, 0, 3012, 252);
  Text1 = place(new QLineEdit(this), "Text1", 240, 240, 4572, 264);
  Text1->setToolTip(QStringLiteral("選択する元データを指定します"));
  Command1 = place(new QPushButton(QStringLiteral("入力参照"), this), "Command1", 5040, 120, 972, 372);
  Command1->setToolTip(QStringLiteral("選択元データのドライブ・フォルダ・ファイル名が参照できます"));

  Frame1 = place(new QGroupBox(QStringLiteral("　集計区分の選択"), this), "Frame1", 120, 840, 1932, 1452);
  Frame1->setToolTip(QStringLiteral("選択するデータの集計区分区分を選択します"));
  Option1 = place(new QRadioButton(QStringLiteral("その１(004-013)"), Frame1), "Option1", 240, 240, 1572, 252);
  Option1->setToolTip(QStringLiteral("結果表004表～013表"));
  Option2 = place(new QRadioButton(QStringLiteral("その２(014-017)"), Frame1), "Option2", 240, 600, 1572, 228);
  Option2->setToolTip(QStringLiteral("結果表014表～017表"));
  Option3 = place(new QRadioButton(QStringLiteral("その３(018-020)"), Frame1), "Option3", 240, 960, 1572, 252);
  Option3->setToolTip(QStringLiteral("結果表018表～020表"));

  Frame3 = place(new QGroupBox(QStringLiteral("都道府県番号"), this), "Frame3", 2160, 840, 1452, 1452);
  Frame3->setToolTip(QStringLiteral("選択するデータの都道府県番号を０補足で入力します"));
  Text3 = place(new QLineEdit(Frame3), "Text3", 360, 480, 612, 612);
  Text3->setToolTip(Frame3->toolTip());
  Text3->setMaxLength(kPrefectureLength);
  Text3->setFont(fixedGothic(22.2));

  Command4 = place(new QPushButton(QStringLiteral("出力項目の選択指定（必須）"), this), "Command4", 3720, 720, 2412, 492);
  Command4->setToolTip(QStringLiteral("選択する項目番号を指定する画面を表示します"));
  Command6 = place(new QPushButton(QStringLiteral("市区町村の選択指定"), this), "Command6", 3720, 1320, 2412, 492);
  Command6->setToolTip(QStringLiteral("選択する市区町村番号を指定する画面が表示されます"));

  Frame2 = place(new QGroupBox(QStringLiteral("文字データの数値化"), this), "Frame2", 4200, 2040, 1932, 852);
  Frame2->setToolTip(QStringLiteral("秘匿処理データ等の文字データを「0」に強制置換するか否かを選択します"));
  Option4 = place(new QRadioButton(QStringLiteral("数値化しない"), Frame2), "Option4", 240, 240, 1452, 180);
  Option5 = place(new QRadioButton(QStringLiteral("数値化する"), Frame2), "Option5", 240, 480, 1452, 180);

  Label3 = place(new QLabel(QStringLiteral("出力ドライブ・フォルダ・ファイル名"), this), "Label3", 120, 3000, 2652, 252);
  Text2 = place(new QLineEdit(this), "Text2", 120, 3240, 4692, 264);
  Text2->setToolTip(QStringLiteral("選択結果の出力先を指定します"));
  Command2 = place(new QPushButton(QStringLiteral("出力参照"), this), "Command2", 5040, 3120, 972, 372);
  Command2->setToolTip(QStringLiteral("選択結果データのドライブ・フォルダ・ファイル名が参照できます"));
  Command3 = place(new QPushButton(QStringLiteral("データの選択の開始"), this), "Command3", 1920, 3720, 2532, 975);
  Command3->setToolTip(QStringLiteral("指定した項目の選択処理を開始します"));
  Command3->setFont(proportionalGothic(12));

  Label1 = place(new QLabel(QStringLiteral(" "), this), "Label1", 360, 4800, 5652, 252);
  {
    QPalette p = Label1->palette();
    p.setColor(QPalette::WindowText, QColor(255, 0, 0));
    Label1->setPalette(p);
  }
  ProgressBar1 = place(new QProgressBar(this), "ProgressBar1", 240, 5280, 5772, 132);
  runner_ = std::make_unique<RunController>(ProgressBar1);

  // Tab order: Text1, Command1, Text2, Command2, Command4, Command3, Command6, Option1..5, Text3.
  QWidget* order[] = {Text1, Command1, Text2, Command2, Command4, Command3, Command6,
                      Option1, Option2, Option3, Option4, Option5, Text3};
  for (std::size_t i = 1; i < std::size(order); ++i) setTabOrder(order[i - 1], order[i]);

  Option1->setChecked(true);
  Option4->setChecked(true);
  setTextColour(Option1, QColor(255, 0, 0));
  setTextColour(Option2, QColor(0, 0, 0));
  setTextColour(Option3, buttonTextColour());
  setTextColour(Option4, QColor(255, 0, 0));
  setTextColour(Option5, buttonTextColour());
}

// What each control does.
void Form1::connectControls() {
  connect(Command1, &QPushButton::clicked, this, [this] { browse(QStringLiteral("TEXT1")); });
  connect(Command2, &QPushButton::clicked, this, [this] { browse(QStringLiteral("TEXT2")); });
  connect(Command4, &QPushButton::clicked, this, [this] {
    clearStatus();
    showScreen(form4_);
  });
  connect(Command6, &QPushButton::clicked, this, [this] {
    clearStatus();
    showScreen(form6_);
  });
  connect(Command3, &QPushButton::clicked, this, &Form1::runExtraction);
  connect(Option1, &QRadioButton::clicked, this, [this] { highlightOptions(Option1, {Option2, Option3}); });
  connect(Option2, &QRadioButton::clicked, this, [this] { highlightOptions(Option2, {Option1, Option3}); });
  connect(Option3, &QRadioButton::clicked, this, [this] { highlightOptions(Option3, {Option2, Option1}); });
  connect(Option4, &QRadioButton::clicked, this, [this] { highlightOptions(Option4, {Option5}); });
  connect(Option5, &QRadioButton::clicked, this, [this] { highlightOptions(Option5, {Option4}); });
  for (QLineEdit* field : {Text1, Text2, Text3}) connect(field, &QLineEdit::textChanged, this, &Form1::clearStatus);
  // The two-character limit holds for typing; the program's own write-back may be longer.
  connect(Text3, &QLineEdit::textEdited, this,
          [this] { Text3->setMaxLength(std::max(kPrefectureLength, int(Text3->text().size()))); });
  for (QLineEdit* field : {Text1, Text2}) field->installEventFilter(this);  // drops from a file manager
  // Text3 is checked when the focus moves from it to another control of the program; a
  // switch to another application (no focus widget then) or back from it checks nothing.
  focusWatch_ = connect(qApp, &QApplication::focusChanged, this, [this](QWidget* old, QWidget* now) {
    if (old == Text3 && now) checkPrefectureField(now->window());
  });
}

// The focus moves while the widgets go: no check from a main screen half taken down.
Form1::~Form1() { disconnect(focusWatch_); }

template <class Screen>
Screen* Form1::showScreen(OwnedScreen<Screen>& slot) {
  Screen* s = slot.make(this);
  s->show();
  s->raise();
  s->activateWindow();
  return s;
}

// The picker for the field `target` names; an open one switched to another field lists its
// folder again, since archives open as folders for the data location alone.
void Form1::browse(const QString& target) {
  clearStatus();
  const bool retargeted = params_.TEXTSW != target;
  params_.TEXTSW = target;
  const bool shown = form2_.get() && form2_.get()->isVisible();
  if (Form2* picker = showScreen(form2_); shown && retargeted) picker->listAgain();
}

int Form1::selectedGroup() const {
  int group = 0;
  if (Option1->isChecked()) group = 1;
  if (Option2->isChecked()) group = 2;
  if (Option3->isChecked()) group = 3;
  return group;
}

void Form1::activate() {
  raise();
  activateWindow();
}

void Form1::clearStatus() { Label1->setText(QStringLiteral(" ")); }

void Form1::highlightOptions(QRadioButton* clicked, std::initializer_list<QRadioButton*> others) {
  clearStatus();
  if (clicked->isChecked()) setTextColour(clicked, QColor(255, 0, 0));
  for (QRadioButton* other : others) setTextColour(other, buttonTextColour());
}

// A rejection's message belongs to the window the user moved to, so that the focus stays
// there when the message is closed.
void Form1::checkPrefectureField(QWidget* focusWindow) {
  if (checkingPrefecture_) return;  // the message box itself takes the focus
  checkingPrefecture_ = true;
  const PrefectureCheck check = checkPrefecture(Text3->text());
  writeField(Text3, check.text);
  if (check.failure) showMessage(focusWindow, errorMessage(*check.failure));
  else activate();
  checkingPrefecture_ = false;
}

// Every write is a text change: it clears the status line also when the text stays the same.
void Form1::writeField(QLineEdit* field, const QString& text) {
  if (field == Text3) Text3->setMaxLength(std::max(kPrefectureLength, int(text.size())));  // kept whole
  field->setText(text);
  clearStatus();
}

std::optional<Failure> Form1::storeItemSets(std::array<QString, 15>& fields) {
  const std::optional<Failure> failure = storeAndCheckItemSets(fields, selectedGroup(), params_);
  if (failure) return failure;
  if (form5_.get()) form5_.get()->hide();
  activate();
  return std::nullopt;
}

std::optional<Failure> Form1::storeMunicipalities(std::array<QString, 10>& fields) {
  const std::optional<Failure> failure = storeAndCheckMunicipalities(fields, params_);
  if (!failure) activate();
  return failure;
}

Result<std::vector<ItemListEntry>> Form1::itemList(QStringView rawKey) const {
  return loadItemList(itemNameFolders(params_.B_Path, Text1->text()), selectedGroup(), rawKey);
}

void Form1::showItemList() { form5_.make(this)->FillItemList(QString()); }

void Form1::showItemSelection() { showScreen(form4_); }

// The input folder field receives a place inside an archive as the archive.
void Form1::folderPicked(const QString& folder) {
  if (picksDataLocation()) writeField(Text1, fieldPath(dataLocationOf(folder)));
  if (params_.TEXTSW == QLatin1String("TEXT2")) writeField(Text2, fieldPath(folder));
}

// The input folder field receives the file's folder (or archive), the output file field the file.
void Form1::filePicked(const QString& folder, const QString& file) {
  if (const QString at = dataLocationOf(folder); picksDataLocation())
    writeField(Text1, fieldPath(at == folder ? withTrailingSeparator(folder) : at));
  if (params_.TEXTSW == QLatin1String("TEXT2")) writeField(Text2, fieldPath(joinFolderAndName(folder, file)));
  activate();
}

void Form1::runExtraction() {
  clearStatus();
  RunInputs in;
  in.inputFolder = Text1->text();
  in.outputFile = Text2->text();
  in.prefectures = QStringList{Text3->text()};
  in.group = selectedGroup();
  in.numerify = !Option4->isChecked();
  in.nameFolders = itemNameFolders(params_.B_Path, in.inputFolder);
  in.itemSets = params_.itemSets();
  in.municipalityFilter = params_.municipalityFilterOn();
  in.municipalities = params_.municipalityRanges();
  const RunResult result = runner_->run(in);
  params_.storeItemSets(result.itemSets);
  if (result.end == RunEnd::Completed) Label1->setText(result.message());
  else showMessage(this, result.message());
}

// A dropped path is written as typing would write it: a text change that clears the status line.
bool Form1::eventFilter(QObject* watched, QEvent* event) {
  const QEvent::Type type = event->type();
  if ((watched != Text1 && watched != Text2) || (type != QEvent::DragEnter && type != QEvent::DragMove && type != QEvent::Drop))
    return QWidget::eventFilter(watched, event);
  auto* drop = static_cast<QDropEvent*>(event);
  const QString path = droppedPath(drop->mimeData(), watched == Text1);
  if (path.isEmpty()) {
    drop->ignore();
    return true;
  }
  drop->acceptProposedAction();
  if (type == QEvent::Drop) writeField(static_cast<QLineEdit*>(watched), path);
  return true;
}

void Form1::closeEvent(QCloseEvent* event) {
  for (QWidget* other : std::initializer_list<QWidget*>{form2_.get(), form4_.get(), form5_.get(), form6_.get()})
    if (other) other->hide();
  event->accept();
  QCoreApplication::quit();
}
