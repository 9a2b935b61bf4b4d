#include "gui/form5.h"

#include <QApplication>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTableWidget>

#include "core/numeric.h"
#include "gui/message_box.h"
#include "gui/screen_hub.h"
#include "gui/screen_layout.h"

using namespace h7;

namespace {

// The grid with its column 0 fixed: a second view of the same cells and selection, showing
// only column 0, lies over the grid's left edge and scrolls up and down with it, so the item
// numbers stay in place while the names scroll sideways under them. The heading row is
// hidden in both; each shows it in its horizontal header, which stays put when scrolling down.
class ItemGrid : public QTableWidget {
 public:
  explicit ItemGrid(QWidget* parent) : QTableWidget(1, 2, parent), fixed_(new QTableView(this)) {
    setHorizontalScrollMode(ScrollPerPixel);  // the names, wider than the view, scroll by pixels
    fixed_->setModel(model());
    fixed_->setSelectionModel(selectionModel());
    fixed_->setFocusPolicy(Qt::NoFocus);  // the keyboard stays with the grid
    fixed_->setFrameShape(QFrame::NoFrame);
    fixed_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    fixed_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    fixed_->setColumnHidden(1, true);
    fixed_->setVerticalScrollMode(verticalScrollMode());  // the rows of both scroll alike
    viewport()->stackUnder(fixed_);
    for (QTableView* view : {static_cast<QTableView*>(this), fixed_}) {
      view->verticalHeader()->hide();
      view->verticalHeader()->setMinimumSectionSize(1);
      view->setRowHidden(0, true);
      view->horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
      view->horizontalHeader()->setSectionsClickable(false);
      view->horizontalHeader()->setHighlightSections(false);
      view->horizontalHeader()->setTextElideMode(Qt::ElideNone);  // "項目番号" uses the margin
      view->setEditTriggers(NoEditTriggers);
      view->setWordWrap(false);
    }
    QScrollBar* rows = verticalScrollBar();
    QScrollBar* fixedRows = fixed_->verticalScrollBar();
    connect(rows, &QScrollBar::valueChanged, fixedRows, &QScrollBar::setValue);
    connect(fixedRows, &QScrollBar::valueChanged, rows, &QScrollBar::setValue);  // the wheel over the numbers
    connect(fixedRows, &QScrollBar::rangeChanged, this, [=] { fixedRows->setValue(rows->value()); });
    // Column 0 keeps one width in both; the user widens it at the fixed view's heading.
    connect(horizontalHeader(), &QHeaderView::sectionResized, this, [this](int column, int, int width) {
      if (column != 0) return;
      fixed_->setColumnWidth(0, width);
      placeFixed();
    });
    connect(fixed_->horizontalHeader(), &QHeaderView::sectionResized, this, [this](int column, int, int width) {
      if (column == 0) setColumnWidth(0, width);
    });
  }

  // The font of the cells and of the heading, in both views.
  void setGridFont(const QFont& font) {
    for (QTableView* view : {static_cast<QTableView*>(this), fixed_}) {
      view->setFont(font);
      view->horizontalHeader()->setFont(font);
      view->verticalHeader()->setDefaultSectionSize(view->fontMetrics().height() + 4);
    }
  }

  // Moving to a cell scrolls only as far as needed to show its row and the start of its
  // name: the name column is wider than the view and would otherwise go under the numbers.
  void scrollTo(const QModelIndex& index, ScrollHint hint) override {
    QTableWidget::scrollTo(index.siblingAtColumn(0), hint);
  }

 protected:
  void updateGeometries() override {
    QTableWidget::updateGeometries();
    placeFixed();
  }

 private:
  void placeFixed() {
    const QRect header = horizontalHeader()->geometry();
    fixed_->horizontalHeader()->setFixedHeight(header.height());
    fixed_->setGeometry(header.x(), header.y(), columnWidth(0), header.height() + viewport()->height());
  }

  QTableView* fixed_;
};

// The grid keeps its heading as the cells of row 0, like every other row (the views show
// it in their headers). The heading and column 0 look like fixed cells and are not selectable.
void setCell(QTableWidget* grid, int row, int column, const QString& text) {
  auto* item = new QTableWidgetItem(text);
  if (row == 0 || column == 0) {
    item->setFlags(Qt::ItemIsEnabled);
    item->setBackground(grid->palette().button());
  } else {
    item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
  }
  grid->setItem(row, column, item);
}

void showList(QTableWidget* grid, const std::vector<ItemListEntry>& entries) {
  const QString heading[2] = {QStringLiteral("項目番号"), QStringLiteral("    項目名称")};
  grid->setUpdatesEnabled(false);
  grid->clearContents();
  grid->setRowCount(int(entries.size()) + 3);  // heading, the items, two empty rows
  grid->setColumnWidth(0, twips(700));
  grid->setColumnWidth(1, twips(9000));
  for (int c = 0; c < 2; ++c) setCell(grid, 0, c, heading[c]);
  grid->setHorizontalHeaderLabels({heading[0], heading[1]});
  int row = 1;
  for (const ItemListEntry& e : entries) {
    setCell(grid, row, 0, displayNumber(e.number));
    setCell(grid, row, 1, e.name);
    ++row;
  }
  for (; row < grid->rowCount(); ++row) setCell(grid, row, 0, QString());
  grid->setCurrentCell(1, 1);
  grid->setUpdatesEnabled(true);
}

}  // namespace

Form5::Form5(ScreenHub* main) : main_(main) {
  setAttribute(Qt::WA_DeleteOnClose);
  setUpScreen(this, "Form5", QStringLiteral("項目一覧表示"), 9012, 5592);

  // Created in focus order: the grid, 絞込み検索, the search field, 戻る.
  auto* grid = place(new ItemGrid(this), "FGrid1", 0, 960, 9012, 4692);
  grid->setGridFont(proportionalGothic(7.8));  // the heading row is in the grid's font too
  FGrid1 = grid;
  FGrid1->setHorizontalHeaderLabels({QString(), QString()});
  FGrid1->setTabKeyNavigation(false);  // Tab moves on to the next control

  auto* search = place(new QPushButton(QStringLiteral("絞込み検索"), this), "Command1", 4440, 360, 2292, 372);
  search->setToolTip(QStringLiteral("左欄で指定した文字列を含む項目名称一覧を選択表示します"));
  Text1 = place(new QLineEdit(this), "Text1", 480, 360, 3852, 372);
  Text1->setToolTip(QStringLiteral("一覧表からさらに絞込みを行う場合のＫＥＹとなる文字列を記入します"));
  place(new QLabel(QStringLiteral("検索文字列"), this), "Label1", 240, 120, 1095, 255)
      ->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  auto* back = place(new QPushButton(QStringLiteral("戻る"), this), "Command2", 6840, 360, 2052, 375);
  back->setToolTip(QStringLiteral("選択項目指定画面へ戻ります"));

  setTabOrder(FGrid1, search);
  setTabOrder(search, Text1);
  setTabOrder(Text1, back);

  connect(search, &QPushButton::clicked, this, [this] { FillItemList(Text1->text()); });
  // Back to the item selection screen; one whose window was closed meanwhile is shown afresh.
  connect(back, &QPushButton::clicked, this, [this] { main_->showItemSelection(); });
}

void Form5::FillItemList(const QString& rawKey) {
  const auto list = main_->itemList(rawKey);
  if (!list) {
    FGrid1->setRowCount(1400);  // the texts stay, as far as they go
    QWidget* owner = isVisible() ? this : QApplication::activeWindow();
    showMessage(owner ? owner : this, itemListMessage(list.failure()));
    return;
  }
  showList(FGrid1, *list);
  show();
  raise();
  activateWindow();
}
