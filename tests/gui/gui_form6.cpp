// Form6's wiring: the fields reach the job parameters and the filter switch, a failure
// keeps the screen in front, the fields stay between visits and go with a closed screen.
#include "gui/form6.h"
#include "support/screens.h"
#include "support/testutil.h"

using h7test::click;
using h7test::field;

class Form6Test : public h7test::ScreenSuite {
  Q_OBJECT

 private slots:
  void init() { QVERIFY(showMainScreen()); }
  void cleanup() { main.reset(); }

  void backStoresChecksAndMovesOn() {
    Form6* screen = h7test::open<Form6>(main.get(), "Command6");
    h7test::type(screen, "Text1", "９９");
    click(screen, "Command1");
    QCOMPARE(messages, QStringList{h7::errorMessage(h7::msg::unknownMunicipality())});
    QCOMPARE(field(screen, "Text1")->text() + params().SHI_SW, QStringLiteral("99ON"));  // converted in the field
    QCoreApplication::processEvents();  // the window system's queued activations delivered
    QCOMPARE(QApplication::activeWindow(), screen);

    field(screen, "Text1")->setText("201");
    h7test::type(screen, "Text10", "205");
    click(screen, "Command1");
    QCOMPARE(messages.size(), 1);
    QCOMPARE(h7test::storedValues({params().SFR, params().STO}), QStringLiteral("201 0 0 0 0 / 201 0 0 0 205"));
    QTRY_COMPARE(QApplication::activeWindow(), static_cast<QWidget*>(main.get()));
    QVERIFY(screen->isVisible());  // left open behind

    QCOMPARE(h7test::open<Form6>(main.get(), "Command6"), screen);  // the fields as they were
    QCOMPARE(field(screen, "Text1")->text(), QStringLiteral("201"));
    field(screen, "Text1")->clear();  // an empty first start switches the filter off
    click(screen, "Command1");
    QCOMPARE(params().SHI_SW, QStringLiteral("OFF"));

    screen->close();  // discarded: the fields go, the stored values stay
    QTRY_VERIFY(!h7test::screenOf<Form6>());
    QVERIFY(screen = h7test::open<Form6>(main.get(), "Command6"));
    QVERIFY(field(screen, "Text10")->text().isEmpty());
    QCOMPARE(double(params().SFR[0]), 201.0);
  }
};

QTEST_MAIN(Form6Test)
#include "gui_form6.moc"
