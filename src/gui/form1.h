// Form1, the main screen: input folder, output file, prefecture number, group and
// numerification options, the buttons that open the other screens, the run with its
// progress bar, and the status line. It holds the job parameters and owns the other
// screens, which talk to each other through it.
#pragma once

#include <QPointer>
#include <QWidget>
#include <array>
#include <memory>
#include <initializer_list>
#include <optional>
#include <vector>

#include "core/item_list.h"
#include "core/job_params.h"
#include "core/messages.h"
#include "gui/screen_hub.h"

class QGroupBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QRadioButton;

class RunController;
class Form2;
class Form4;
class Form5;
class Form6;

// A screen of the main screen's: made on first use, gone when its window closes (it
// deletes itself then), deleted with the main screen. Screens are windows of their own,
// without a Qt parent: a window manager keeps a child window above its parent.
template <class Screen>
class OwnedScreen {
 public:
  OwnedScreen() = default;
  OwnedScreen(const OwnedScreen&) = delete;
  OwnedScreen& operator=(const OwnedScreen&) = delete;
  ~OwnedScreen() { delete screen_.data(); }
  Screen* get() const { return screen_; }
  template <class Owner>
  Screen* make(Owner* owner) {
    if (!screen_) screen_ = new Screen(owner);
    return screen_;
  }

 private:
  QPointer<Screen> screen_;
};

class Form1 : public QWidget, public ScreenHub {
  Q_OBJECT

 public:
  explicit Form1(QWidget* parent = nullptr);
  ~Form1() override;

  h7::JobParams& params() { return params_; }
  int selectedGroup() const;  // 1..3 from Option1..Option3, 0 when none is selected

  // What the other screens ask of the main screen (ScreenHub).
  std::optional<h7::Failure> storeItemSets(std::array<QString, 15>& fields) override;
  std::optional<h7::Failure> storeMunicipalities(std::array<QString, 10>& fields) override;
  h7::Result<std::vector<h7::ItemListEntry>> itemList(QStringView rawKey) const override;
  void showItemList() override;
  void showItemSelection() override;
  void folderPicked(const QString& folder) override;
  void filePicked(const QString& folder, const QString& file) override;
  bool picksDataLocation() const override { return params_.TEXTSW == QLatin1String("TEXT1"); }

 protected:
  void closeEvent(QCloseEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;  // drops on Text1 and Text2

 private:
  void buildControls();
  void connectControls();
  void browse(const QString& target);  // Command1, Command2: the picker for TEXT1 or TEXT2
  template <class Screen>
  Screen* showScreen(OwnedScreen<Screen>& slot);  // shown without blocking, brought to the front
  void activate();     // makes the main screen the active window
  void clearStatus();  // the status line back to a single blank
  void highlightOptions(QRadioButton* clicked, std::initializer_list<QRadioButton*> others);
  void checkPrefectureField(QWidget* focusWindow);
  void writeField(QLineEdit* field, const QString& text);
  void runExtraction();  // Command3

  h7::JobParams params_;
  QLabel *Label1, *Label2, *Label3;  // Label1: the status line
  QLineEdit *Text1, *Text2, *Text3;  // input folder, output file, prefecture number
  QPushButton *Command1, *Command2, *Command3, *Command4, *Command6;
  QGroupBox *Frame1, *Frame2, *Frame3;
  QRadioButton *Option1, *Option2, *Option3, *Option4, *Option5;
  QProgressBar* ProgressBar1;
  std::unique_ptr<RunController> runner_;
  OwnedScreen<Form2> form2_;
  OwnedScreen<Form4> form4_;
  OwnedScreen<Form5> form5_;
  OwnedScreen<Form6> form6_;
  bool checkingPrefecture_ = false;
  QMetaObject::Connection focusWatch_;
};
