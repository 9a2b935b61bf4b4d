// Item-name files written for a test: one Shift-JIS line per name, CR LF ended.
#pragma once

#include <QStringList>

#include "support/testutil.h"

namespace h7test {

inline void writeNames(const ScratchDir& dir, int group, const QStringList& names) {
  static const char* const files[4] = {"", "NAMEH7S1.CCC", "NAMEH7S2.CCC", "NAMEH7S3.CCC"};
  std::string bytes;
  for (const QString& n : names) bytes += sjis(n.toUtf8().constData()) + "\r\n";
  dir.write(files[group], bytes);
}

// `count` names made of `stem` and the numbers from 1.
inline QStringList numberedNames(const QString& stem, int count) {
  QStringList names;
  for (int i = 1; i <= count; ++i) names << stem + QString::number(i);
  return names;
}

}  // namespace h7test
