#include "items/item_search.h"

#include "common/halfwidth.h"

namespace h7 {

QString searchKey(QStringView rawText) { return widen(trimBlanks(rawText)); }

}  // namespace h7
