// The half-width conversion applied to every input field, and its inverse, widening,
// used for search keys.
#pragma once

#include <QString>
#include <QStringView>

namespace h7 {

// Full-width forms U+FF01..U+FF5E become ASCII, the ideographic space a blank, and
// full-width katakana and the Japanese punctuation marks that have half-width forms
// become those forms (a voiced katakana becomes two characters). Nothing is trimmed.
QString halfWidth(QStringView text);

// ASCII graphic characters become U+FF01..U+FF5E, the blank the ideographic space, and
// half-width katakana full-width (a kana followed by a voiced or semi-voiced sound mark
// becomes the one precomposed character). Everything else stays.
QString widen(QStringView text);

// The text without blanks (U+0020 only) at either end.
QStringView trimBlanks(QStringView text);

}  // namespace h7
