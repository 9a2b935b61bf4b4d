// Renders every screen of h7select, filled from the sample data, into PNG files for the
// documentation: h7screens OUTDIR SAMPLEDIR NAMESDIR
#include <QApplication>
#include <QDir>
#include <QLineEdit>
#include <QPushButton>
#include <cstdio>

#include "gui/form1.h"
#include "gui/message_box.h"
#include "gui/screen_layout.h"

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
  form1.params().B_Path = names;
  form1.show();
  auto field = [](QWidget* screen, const char* name) { return screen->findChild<QLineEdit*>(QLatin1String(name)); };
  auto click = [](QWidget* screen, const char* name) { screen->findChild<QPushButton*>(QLatin1String(name))->click(); };
  auto screen = [](const char* name) {
    for (QWidget* w : QApplication::topLevelWidgets())
      if (w->objectName() == QLatin1String(name)) return w;
    return static_cast<QWidget*>(nullptr);
  };
  field(&form1, "Text1")->setText(QDir::toNativeSeparators(sample));
  field(&form1, "Text2")->setText(QDir::toNativeSeparators(sample + "/out.csv"));
  field(&form1, "Text3")->setText("13");

  click(&form1, "Command4");
  QWidget* items = screen("Form4");
  const std::pair<const char*, const char*> sets[] = {{"Text1", "1"}, {"Text2", "10"}, {"Text4", "101"}, {"Text5", "141"}, {"Text6", "10"}};
  for (const auto& [name, text] : sets) field(items, name)->setText(text);
  click(items, "Command1");
  click(items, "Command2");  // the item list
  QWidget* list = screen("Form5");

  click(&form1, "Command6");
  QWidget* municipalities = screen("Form6");
  const std::pair<const char*, const char*> ranges[] = {{"Text1", "101"}, {"Text2", "105"}, {"Text3", "201"}};
  for (const auto& [name, text] : ranges) field(municipalities, name)->setText(text);
  click(municipalities, "Command1");

  click(&form1, "Command2");  // the picker, for the output file
  QWidget* picker = screen("Form2");
  click(&form1, "Command3");  // the run, its message in the status line
  if (!messages.isEmpty()) std::fprintf(stderr, "message: %s\n", qPrintable(messages.join('\n')));

  bool ok = save(&form1, out + "/form1.png") && save(items, out + "/form4.png") && list &&
            save(list, out + "/form5.png") && save(municipalities, out + "/form6.png") &&
            save(picker, out + "/form2.png");
  return ok && messages.isEmpty() ? 0 : 1;
}
