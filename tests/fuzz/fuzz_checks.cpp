// The store-and-check rules of the item selection and municipality screens, and the
// prefecture rule, on arbitrary field texts. Only messages of their tables come out (or
// "ERROR  " + the overflow description); the fields are left in half-width form; when
// the checks pass, what was stored obeys them.
#include <QString>
#include <array>
#include <cmath>

#include "common/halfwidth.h"
#include "common/numeric.h"
#include "fuzz_util.h"
#include "items/itemsets_check.h"
#include "main/prefecture.h"
#include "municipality/ranges_check.h"

namespace {

// Field texts separated by 0x1F, as UTF-8 or, on request, as raw UTF-16.
template <std::size_t N>
std::array<QString, N> fieldsOf(std::string_view bytes, bool utf16) {
  std::array<QString, N> fields;
  std::size_t i = 0;
  for (QString& f : fields) {
    if (i > bytes.size()) break;
    std::size_t end = bytes.find('\x1F', i);
    if (end == std::string_view::npos) end = bytes.size();
    std::string_view part = bytes.substr(i, end - i);
    if (utf16)
      for (std::size_t k = 0; k + 1 < part.size(); k += 2)
        f.append(QChar(char16_t(std::uint8_t(part[k]) | (std::uint8_t(part[k + 1]) << 8))));
    else
      f = QString::fromUtf8(part.data(), qsizetype(part.size()));
    i = end + 1;
  }
  return fields;
}

template <std::size_t N>
bool allHalfWidth(const std::array<QString, N>& fields) {
  for (const QString& f : fields)
    if (h7::halfWidth(f) != f) return false;
  return true;
}

const QString kOverflow = QStringLiteral("ERROR  ") + h7::overflowDescription();

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  h7fuzz::Input in(data, size);
  const std::uint8_t mode = in.byte();
  const int group = mode % 5;  // 0 and 4: no group selected
  const bool utf16 = mode & 0x80;
  const std::string_view bytes = in.rest();

  {
    auto fields = fieldsOf<15>(bytes, utf16);
    h7::JobParams params;
    const QString message = h7::storeAndCheckItemSets(fields, group, params);
    H7_FUZZ_CHECK(message.isEmpty() || message == h7::itemmsg::belowSmallest() ||
                  message == h7::itemmsg::aboveLargest() || message == h7::itemmsg::badInterval() ||
                  message == h7::itemmsg::startAfterEnd() || message == kOverflow);
    H7_FUZZ_CHECK(allHalfWidth(fields));
    if (message.isEmpty()) {
      const h7::ItemBounds b = h7::itemBounds(group);
      for (const h7::ItemSet& s : params.itemSets()) {
        H7_FUZZ_CHECK(s.first == 0 || (s.first >= b.smallest && s.first <= b.largest));
        H7_FUZZ_CHECK(s.last == 0 || (s.last >= b.smallest && s.last <= b.largest));
        H7_FUZZ_CHECK(s.interval >= 0 && s.first <= s.last);
        H7_FUZZ_CHECK(s.first == std::trunc(s.first) && s.last == std::trunc(s.last));
      }
    }
  }
  {
    auto fields = fieldsOf<10>(bytes, utf16);
    const bool off = fields[0].isEmpty();
    h7::JobParams params;
    const QString message = h7::storeAndCheckMunicipalities(fields, params);
    H7_FUZZ_CHECK(message.isEmpty() || message == h7::rangemsg::startAfterEnd() ||
                  message == h7::rangemsg::unknownCode() || message == kOverflow);
    H7_FUZZ_CHECK(params.municipalityFilterOn() == !off);
    if (!off) H7_FUZZ_CHECK(allHalfWidth(fields));
    if (off) H7_FUZZ_CHECK(message.isEmpty() && params.municipalityRanges() == h7::JobParams().municipalityRanges());
    if (message.isEmpty())
      for (const h7::MunicipalityRange& r : params.municipalityRanges()) {
        H7_FUZZ_CHECK(r.first == 0 || (r.first >= 100 && r.first <= 999));
        H7_FUZZ_CHECK(r.last <= 999 && r.first <= r.last);
      }
  }
  {
    const QString text = fieldsOf<1>(bytes, utf16)[0];
    const h7::PrefectureCheck p = h7::checkPrefecture(text);
    H7_FUZZ_CHECK(p.converted == h7::halfWidth(p.converted));
    H7_FUZZ_CHECK(p.text.size() == 2 || p.text == QLatin1Char('0') + p.converted);
    if (p.accepted && p.text != QLatin1String("TT")) {
      const double v = h7::numericValue(p.text);
      H7_FUZZ_CHECK(v >= 1 && v <= 47);
    }
  }
  return 0;
}
