// Form2: ＤＲＩＶＥ／ＦＯＬＤＥＲ／ＦＩＬＥ指定画面, the drive, folder and file picker that
// fills the main screen's input folder (Text1) or output file (Text2) field, the one
// that TEXTSW names at the moment of each folder change or file click. For Text1 the
// archives of a folder open as folders too (extract/picker_places.h).
#pragma once

#include <QString>
#include <QStringList>
#include <QWidget>
#include <optional>

#include "core/messages.h"

class ScreenHub;
class QComboBox;
class QListWidget;
class QListWidgetItem;
class QTreeWidget;
class QTreeWidgetItem;

class Form2 : public QWidget {
  Q_OBJECT

 public:
  explicit Form2(ScreenHub* main);

  QString path() const { return folder_; }  // the folder both lists show, "/" separated
  // The drives and the folder read again, as for the field TEXTSW names now: a picker
  // inside an archive steps out to the archive's folder when that is not Text1.
  void listAgain();

 protected:
  void showEvent(QShowEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  std::optional<h7::Failure> showFolder(const QString& folder);  // why the folder cannot be read
  void changeFolder(const QString& folder);
  void driveChosen(int index);
  void fileClicked(QListWidgetItem* item);
  void fillDrives();
  void selectDriveOf(const QString& folder);

  ScreenHub* main_;
  QComboBox* Drive1;   // the drives (on Windows) or file-system roots and mounted volumes
  QTreeWidget* Dir1;   // the ancestors of the current folder and its subfolders
  QListWidget* File1;  // the files of the current folder
  QString folder_;
  QStringList roots_;
  bool shownBefore_ = false;
};
