// Screens laid out in twips: one conversion (15 twips per device-independent pixel),
// the common background colour and the fonts the layouts were drawn for.
#pragma once

#include <QColor>
#include <QFont>
#include <QRect>
#include <QString>

class QWidget;

namespace h7 {

constexpr int kTwipsPerPixel = 15;  // 1440 twips per inch at 96 pixels per inch
inline int twips(int t) { return (t + kTwipsPerPixel / 2) / kTwipsPerPixel; }
inline QRect twipsRect(int left, int top, int width, int height) {
  return QRect(twips(left), twips(top), twips(width), twips(height));
}

inline QColor backgroundColour() { return QColor(192, 255, 255); }

// Names the control, places it in its container and returns it, for compact tables.
template <class W>
W* place(W* widget, const char* name, int left, int top, int width, int height) {
  widget->setObjectName(QString::fromLatin1(name));
  widget->setGeometry(twipsRect(left, top, width, height));
  return widget;
}

// A top-level screen: title, client size in twips, background colour.
void setUpScreen(QWidget* screen, const char* name, const QString& title, int width, int height);

// The typefaces of the layouts, mapped to installed fonts of matching metrics.
QFont proportionalGothic(double points = 9);  // "ＭＳ Ｐゴシック"
QFont fixedGothic(double points);             // "ＭＳ ゴシック"
// Once, before the first screen: the widget style whose metrics the twip layouts fit
// (small option indicators, captions on the frame border) and the font substitutions.
void setUpApplicationLook();

}  // namespace h7
