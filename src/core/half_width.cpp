#include "core/half_width.h"

#include <array>

namespace h7 {
namespace {

// Full-width counterparts of the half-width forms U+FF61..U+FF9F.
constexpr std::array<char16_t, 0x3F> kFullOfHalf = {
    u'。', u'「', u'」', u'、', u'・', u'ヲ', u'ァ', u'ィ', u'ゥ', u'ェ', u'ォ', u'ャ', u'ュ', u'ョ', u'ッ',
    u'ー', u'ア', u'イ', u'ウ', u'エ', u'オ', u'カ', u'キ', u'ク', u'ケ', u'コ', u'サ', u'シ', u'ス', u'セ',
    u'ソ', u'タ', u'チ', u'ツ', u'テ', u'ト', u'ナ', u'ニ', u'ヌ', u'ネ', u'ノ', u'ハ', u'ヒ', u'フ', u'ヘ',
    u'ホ', u'マ', u'ミ', u'ム', u'メ', u'モ', u'ヤ', u'ユ', u'ヨ', u'ラ', u'リ', u'ル', u'レ', u'ロ', u'ワ',
    u'ン', u'゛', u'゜'};
constexpr char16_t kHalfFirst = 0xFF61;
constexpr char16_t kVoicedMark = 0xFF9E;
constexpr char16_t kSemiVoicedMark = 0xFF9F;

// Bases that take the voiced mark (カ..ト, ハ..ホ, ウ) and the semi-voiced mark (ハ..ホ).
bool takesVoiced(char16_t c) {
  return (c >= u'カ' && c <= u'チ' && (c - u'カ') % 2 == 0) || (c >= u'ツ' && c <= u'ト' && (c - u'ツ') % 2 == 0) ||
         (c >= u'ハ' && c <= u'ホ' && (c - u'ハ') % 3 == 0) || c == u'ウ';
}
bool takesSemiVoiced(char16_t c) { return c >= u'ハ' && c <= u'ホ' && (c - u'ハ') % 3 == 0; }
char16_t voicedOf(char16_t base) { return base == u'ウ' ? u'ヴ' : char16_t(base + 1); }

// Half-width form of a full-width character that has one (0 when it has none).
char16_t halfOf(char16_t full) {
  for (std::size_t i = 0; i < kFullOfHalf.size(); ++i)
    if (kFullOfHalf[i] == full) return char16_t(kHalfFirst + i);
  return 0;
}

struct Tables {
  std::array<char16_t, 0x60> half{};   // U+30A0..U+30FF (and 。「」、゛゜ mapped below)
  std::array<char16_t, 0x60> voicedBase{};
  std::array<char16_t, 0x60> semiBase{};
  Tables() {
    for (char16_t c = 0x30A0; c < 0x3100; ++c) {
      half[c - 0x30A0] = halfOf(c);
      if (takesVoiced(c)) voicedBase[voicedOf(c) - 0x30A0] = c;
      if (takesSemiVoiced(c)) semiBase[c + 2 - 0x30A0] = c;
    }
  }
};
const Tables& tables() {
  static const Tables t;
  return t;
}

}  // namespace

QString halfWidth(QStringView text) {
  const Tables& t = tables();
  QString out;
  out.reserve(text.size());
  for (QChar qc : text) {
    char16_t c = qc.unicode();
    if (c >= 0xFF01 && c <= 0xFF5E) {
      out.append(QChar(char16_t(c - 0xFEE0)));
    } else if (c == 0x3000) {
      out.append(QChar(u' '));
    } else if (c >= 0x30A0 && c < 0x3100) {
      if (char16_t h = t.half[c - 0x30A0]) {
        out.append(QChar(h));
      } else if (char16_t b = t.voicedBase[c - 0x30A0]) {
        out.append(QChar(t.half[b - 0x30A0])).append(QChar(kVoicedMark));
      } else if (char16_t s = t.semiBase[c - 0x30A0]) {
        out.append(QChar(t.half[s - 0x30A0])).append(QChar(kSemiVoicedMark));
      } else {
        out.append(qc);
      }
    } else if (char16_t h = (c >= 0x3000 && c < 0x30A0) ? halfOf(c) : char16_t(0)) {
      out.append(QChar(h));  // 。「」、゛゜
    } else {
      out.append(qc);
    }
  }
  return out;
}

QString widen(QStringView text) {
  QString out;
  out.reserve(text.size());
  for (qsizetype i = 0; i < text.size(); ++i) {
    char16_t c = text[i].unicode();
    if (c >= 0x21 && c <= 0x7E) {
      out.append(QChar(char16_t(c + 0xFEE0)));
    } else if (c == u' ') {
      out.append(QChar(char16_t(0x3000)));
    } else if (c >= kHalfFirst && c <= kSemiVoicedMark) {
      char16_t full = kFullOfHalf[c - kHalfFirst];
      char16_t next = i + 1 < text.size() ? text[i + 1].unicode() : 0;
      if (next == kVoicedMark && takesVoiced(full)) {
        full = voicedOf(full);
        ++i;
      } else if (next == kSemiVoicedMark && takesSemiVoiced(full)) {
        full = char16_t(full + 2);
        ++i;
      }
      out.append(QChar(full));
    } else {
      out.append(text[i]);
    }
  }
  return out;
}

QStringView trimBlanks(QStringView text) {
  qsizetype from = 0, to = text.size();
  while (from < to && text[from] == u' ') ++from;
  while (to > from && text[to - 1] == u' ') --to;
  return text.mid(from, to - from);
}

}  // namespace h7
