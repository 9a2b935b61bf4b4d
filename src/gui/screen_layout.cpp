#include "gui/screen_layout.h"

#include <QApplication>
#include <QPalette>
#include <QStyle>
#include <QWidget>

namespace h7 {

namespace {
const QString kProportional = QStringLiteral("ＭＳ Ｐゴシック");
const QString kFixed = QStringLiteral("ＭＳ ゴシック");
}  // namespace

void setUpScreen(QWidget* screen, const char* name, const QString& title, int width, int height) {
  screen->setObjectName(QString::fromLatin1(name));
  screen->setWindowTitle(title);
  screen->setFixedSize(twips(width), twips(height));
  QPalette p = screen->palette();  // children take the colour over
  p.setColor(QPalette::Window, backgroundColour());
  screen->setPalette(p);
  screen->setAutoFillBackground(true);
}

QFont proportionalGothic(double points) {
  QFont f(kProportional);
  f.setPointSizeF(points);
  return f;
}

QFont fixedGothic(double points) {
  QFont f(kFixed);
  f.setStyleHint(QFont::Monospace);
  f.setPointSizeF(points);
  return f;
}

void setUpApplicationLook() {
  QApplication::setStyle(QStringLiteral("Windows"));
  QFont::insertSubstitutions(kProportional, {QStringLiteral("IPAPGothic"), QStringLiteral("Noto Sans CJK JP")});
  QFont::insertSubstitutions(kFixed, {QStringLiteral("IPAGothic"), QStringLiteral("Noto Sans Mono CJK JP")});
  QApplication::setFont(proportionalGothic(9));
}

}  // namespace h7
