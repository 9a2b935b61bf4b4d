// Form4, the item selection screen (選択項目指定画面): five item sets of start item
// number, end item number and interval. "戻る" converts, stores and checks them into
// the job parameters; "一覧表の表示" opens the item list.
#pragma once

#include <QWidget>
#include <array>

class Form1;
class QFrame;
class QLabel;
class QLineEdit;
class QPushButton;

class Form4 : public QWidget {
  Q_OBJECT

 public:
  explicit Form4(Form1* main);

  QLabel *Label1, *Label2, *Label3, *Label4, *Label5;  // "１組".."５組"
  QLabel *Label6, *Label7, *Label8, *Label9;          // the note and the column headings
  // Start, end and interval of set 1 (Text1..Text3), set 2 (Text4..Text6), ...
  QLineEdit *Text1, *Text2, *Text3, *Text4, *Text5, *Text6, *Text7, *Text8, *Text9, *Text10, *Text11,
      *Text12, *Text13, *Text14, *Text15;
  QFrame *Line1, *Line2, *Line3, *Line4, *Line5, *Line6, *Line7, *Line8, *Line9, *Line10;
  QPushButton* Command1;  // 戻る
  QPushButton* Command2;  // 一覧表の表示

 private:
  void back();  // Command1

  Form1* main_;
  std::array<QLineEdit*, 15> fields_;  // Text1..Text15
};
