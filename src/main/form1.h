// Form1, the main screen: input folder, output file, prefecture number, group and
// numerification options, the buttons that open the other screens, the run with its
// progress bar, and the status line. It holds the job parameters for every screen.
#pragma once

#include <QPointer>
#include <QWidget>
#include <initializer_list>

#include "main/jobparams.h"

class QGroupBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QRadioButton;

class Form2;
class Form4;
class Form5;
class Form6;

class Form1 : public QWidget, public h7::JobParams {
  Q_OBJECT

 public:
  explicit Form1(QWidget* parent = nullptr);
  ~Form1() override;

  QLabel* Label1;  // the status line
  QLabel* Label2;
  QLabel* Label3;
  QLineEdit* Text1;  // input folder
  QLineEdit* Text2;  // output file
  QLineEdit* Text3;  // prefecture number
  QPushButton* Command1;
  QPushButton* Command2;
  QPushButton* Command3;
  QPushButton* Command4;
  QPushButton* Command6;
  QGroupBox* Frame1;
  QGroupBox* Frame2;
  QGroupBox* Frame3;
  QRadioButton* Option1;
  QRadioButton* Option2;
  QRadioButton* Option3;
  QRadioButton* Option4;
  QRadioButton* Option5;
  QProgressBar* ProgressBar1;

  // The other screens; each is created on first use and discarded when its window closes.
  QPointer<Form2> form2;
  QPointer<Form4> form4;
  QPointer<Form5> form5;
  QPointer<Form6> form6;

  // The screen in `slot`, created hidden when there is none yet.
  template <class Screen>
  Screen* screen(QPointer<Screen>& slot) {
    if (!slot) slot = new Screen(this);
    return slot;
  }
  // Shows the screen without blocking; one already shown comes to the front.
  template <class Screen>
  Screen* showScreen(QPointer<Screen>& slot) {
    Screen* s = screen(slot);
    s->show();
    s->raise();
    s->activateWindow();
    return s;
  }

  int selectedGroup() const;  // 1..3 from Option1..Option3, 0 when none is selected
  void activate();            // makes the main screen the active window
  void clearStatus();         // the status line back to a single blank
  void runExtraction();       // Command3

 protected:
  void closeEvent(QCloseEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void highlightOptions(QRadioButton* clicked, std::initializer_list<QRadioButton*> others);
  void checkPrefectureField();
  bool checkingPrefecture_ = false;
};
