#include "gui/form2.h"

#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QShowEvent>
#include <QStyle>
#include <QTreeWidget>
#include <algorithm>

#include "core/picker_paths.h"
#include "extract/picker_places.h"
#include "gui/message_box.h"
#include "gui/screen_hub.h"
#include "gui/screen_layout.h"

using namespace h7;

namespace {
constexpr int kFolderIndent = 10;  // pixels per level of the folder tree

// The folder tree is always fully open: indentation only, no branch lines or boxes.
class FolderTree : public QTreeWidget {
 public:
  using QTreeWidget::QTreeWidget;

 protected:
  void drawBranches(QPainter*, const QRect&, const QModelIndex&) const override {}
};
}  // namespace

Form2::Form2(ScreenHub* main) : main_(main) {
  setAttribute(Qt::WA_DeleteOnClose);
  setUpScreen(this, "Form2", QStringLiteral("ＤＲＩＶＥ／ＦＯＬＤＥＲ／ＦＩＬＥ指定画面"), 6636, 4416);

  Drive1 = place(new QComboBox(this), "Drive1", 120, 240, 3012, 276);
  Dir1 = place(new FolderTree(this), "Dir1", 120, 720, 3012, 3540);
  Dir1->setHeaderHidden(true);
  Dir1->setRootIsDecorated(false);
  Dir1->setItemsExpandable(false);
  Dir1->setExpandsOnDoubleClick(false);
  Dir1->setIndentation(kFolderIndent);
  Dir1->setUniformRowHeights(true);
  Dir1->header()->setStretchLastSection(false);
  Dir1->header()->setSectionResizeMode(QHeaderView::ResizeToContents);  // long names scroll
  File1 = place(new QListWidget(this), "File1", 3240, 240, 3252, 4032);
  setTabOrder(Drive1, Dir1);
  setTabOrder(Dir1, File1);

  connect(Drive1, &QComboBox::currentIndexChanged, this, &Form2::driveChosen);
  connect(Dir1, &QTreeWidget::itemDoubleClicked, this,
          [this](QTreeWidgetItem* item) { changeFolder(item->data(0, Qt::UserRole).toString()); });
  connect(File1, &QListWidget::itemClicked, this, &Form2::fileClicked);
  Dir1->installEventFilter(this);
  File1->installEventFilter(this);

  // Start at the process's current folder, or at the nearest folder above it that can
  // be read, or at the first drive (when the current folder has been removed, say).
  fillDrives();
  QStringList candidates = folderAncestors(QDir::currentPath());
  std::reverse(candidates.begin(), candidates.end());
  candidates << roots_.first();
  std::optional<Failure> failure;
  for (const QString& folder : candidates) {
    const std::optional<Failure> why = showFolder(folder);
    if (!why) break;
    if (!failure) failure = why;
  }
  if (failure) showMessage(this, errorMessage(*failure));
}

void Form2::fillDrives() {
  roots_ = driveRoots();
  const QSignalBlocker quiet(Drive1);
  Drive1->clear();
  for (const QString& root : roots_) Drive1->addItem(fieldPath(root), root);
  selectDriveOf(folder_);
}

void Form2::selectDriveOf(const QString& folder) {
  const QSignalBlocker quiet(Drive1);
  Drive1->setCurrentIndex(int(roots_.indexOf(driveOf(folder, roots_))));
}

std::optional<Failure> Form2::showFolder(const QString& folder) {
  const Result<FolderListing> listing = listPlace(folder, main_->picksDataLocation());
  if (!listing) return listing.failure();
  folder_ = folder;

  const QIcon open = style()->standardIcon(QStyle::SP_DirOpenIcon);
  const QIcon closed = style()->standardIcon(QStyle::SP_DirClosedIcon);
  const QIcon archive = style()->standardIcon(QStyle::SP_FileIcon);
  Dir1->clear();
  QTreeWidgetItem* current = nullptr;
  for (const QString& ancestor : folderAncestors(folder)) {
    auto* item = current ? new QTreeWidgetItem(current) : new QTreeWidgetItem(Dir1);
    item->setText(0, current ? ancestor.mid(ancestor.lastIndexOf(u'/') + 1) : fieldPath(ancestor));
    item->setIcon(0, open);
    item->setData(0, Qt::UserRole, ancestor);
    current = item;
  }
  for (const QStringList* names : {&listing->folders, &listing->archives}) {
    for (const QString& name : *names) {
      auto* item = new QTreeWidgetItem(current, QStringList{name});
      item->setIcon(0, names == &listing->folders ? closed : archive);
      item->setData(0, Qt::UserRole, joinFolderAndName(folder, name));
    }
  }
  Dir1->expandAll();
  Dir1->setCurrentItem(current);
  Dir1->scrollToItem(current, QAbstractItemView::PositionAtTop);

  File1->clear();
  File1->addItems(listing->files);
  selectDriveOf(folder_);
  return {};
}

// A folder change fills the target field with the folder; opening the folder already
// shown only reads it again. A folder that cannot be read leaves everything as it was.
void Form2::changeFolder(const QString& folder) {
  const bool changed = folder != folder_;
  const std::optional<Failure> failure = showFolder(folder);
  if (failure) {
    selectDriveOf(folder_);
    showMessage(this, errorMessage(*failure));
    return;
  }
  if (changed) main_->folderPicked(folder_);
}

void Form2::driveChosen(int index) {
  if (index < 0 || index >= roots_.size()) return;
  changeFolder(driveStartFolder(roots_[index], roots_, QDir::currentPath()));
}

// The main screen puts the file or its folder into the field TEXTSW names.
void Form2::fileClicked(QListWidgetItem* item) {
  if (!item) return;
  hide();
  main_->filePicked(folder_, item->text());
}

// Each later showing reads the drives and the folder again, so that volumes mounted
// and files written meanwhile appear; a folder that can no longer be read stays listed
// as it was until the user moves.
void Form2::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  if (event->spontaneous()) return;
  if (shownBefore_) listAgain();
  shownBefore_ = true;
}

void Form2::listAgain() {
  fillDrives();
  const QString archive = archivePlaceOf(folder_).archive;
  showFolder(archive.isEmpty() || main_->picksDataLocation() ? folder_ : QFileInfo(archive).absolutePath());
}

// Enter opens the highlighted folder or picks the highlighted file, like the mouse.
bool Form2::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::KeyPress) {
    const int key = static_cast<QKeyEvent*>(event)->key();
    if (key == Qt::Key_Return || key == Qt::Key_Enter) {
      if (watched == Dir1 && Dir1->currentItem()) {
        changeFolder(Dir1->currentItem()->data(0, Qt::UserRole).toString());
        return true;
      }
      if (watched == File1 && File1->currentItem()) {
        fileClicked(File1->currentItem());
        return true;
      }
    }
  }
  return QWidget::eventFilter(watched, event);
}
