// The filter search of the item list: which item names a search text finds.
#pragma once

#include <QString>
#include <QStringView>

namespace h7 {

// The search key of a raw search text: blanks at both ends removed, then widened.
// An empty key lists every item.
QString searchKey(QStringView rawText);

// A name matches when it contains the key, compared character by character exactly.
inline bool nameMatches(QStringView name, QStringView key) { return key.isEmpty() || name.contains(key); }

}  // namespace h7
