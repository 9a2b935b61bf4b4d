// Renders every screen of h7select, filled from the sample data, into PNG files for the
// documentation: h7screens OUTDIR SAMPLEDIR NAMESDIR
#include <QApplication>
#include <QDir>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <cstdio>

#include "common/messagebox.h"
#include "common/screen_layout.h"
#include "items/form4.h"
#include "items/form5.h"
#include "main/form1.h"
#include "municipality/form6.h"
#include "picker/form2.h"

namespace {
bool save(QWidget* screen, const QString& file) {
  QApplication::processEvents();
  const bool ok = screen->grab().save(file);
  std::printf("%s %s\n", ok ? "wrote" : "FAILED", qPrintable(file));
  return ok;
}
}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  if (argc != 4) {
    std::fprintf(stderr, "usage: h7screens OUTDIR SAMPLEDIR NAMESDIR\n");
    return 2;
  }
  const QString out = QDir(QString::fromLocal8Bit(argv[1])).absolutePath();
  const QString sample = QDir(QString::fromLocal8Bit(argv[2])).absolutePath();
  const QString names = QDir(QString::fromLocal8Bit(argv[3])).absolutePath();
  h7::setUpApplicationLook();
  QStringList messages;
  h7::setMessageRecorder([&](QWidget*, const QString& text) { messages << text; });
  QDir().mkpath(out);
  QDir::setCurrent(sample);  // the picker opens in the sample folder

  Form1 form1;
  form1.B_Path = names;
  form1.show();
  form1.Text1->setText(QDir::toNativeSeparators(sample));
  form1.Text2->setText(QDir::toNativeSeparators(sample + "/out.csv"));
  form1.Text3->setText("13");

  Form4* items = form1.showScreen(form1.form4);
  items->Text1->setText("1");
  items->Text2->setText("10");
  items->Text4->setText("101");
  items->Text5->setText("141");
  items->Text6->setText("10");
  items->Command1->click();
  items->Command2->click();  // the item list
  Form5* list = form1.form5;

  Form6* municipalities = form1.showScreen(form1.form6);
  municipalities->Text1->setText("101");
  municipalities->Text2->setText("105");
  municipalities->Text3->setText("201");
  municipalities->Command1->click();

  form1.Command3->click();
  form1.TEXTSW = "TEXT2";
  Form2* picker = form1.showScreen(form1.form2);
  if (!messages.isEmpty()) std::fprintf(stderr, "message: %s\n", qPrintable(messages.join('\n')));

  bool ok = save(&form1, out + "/form1.png") && save(items, out + "/form4.png") && list &&
            save(list, out + "/form5.png") && save(municipalities, out + "/form6.png") &&
            save(picker, out + "/form2.png");
  return ok && messages.isEmpty() ? 0 : 1;
}
