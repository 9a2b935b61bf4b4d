#include "items/item_search.h"

#include "common/halfwidth.h"

namespace h7 {

QString searchKey(QStringView rawText) {
  qsizetype from = 0, to = rawText.size();
  while (from < to && rawText[from] == u' ') ++from;
  while (to > from && rawText[to - 1] == u' ') --to;
  return widen(rawText.mid(from, to - from));
}

}  // namespace h7
