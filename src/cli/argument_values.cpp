#include "cli/argument_values.h"

#include <QRegularExpression>
#include <algorithm>

#include "core/command_line.h"
#include "core/half_width.h"
#include "core/item_list.h"
#include "core/item_set_rule.h"
#include "core/municipality_rule.h"
#include "core/numeric.h"
#include "core/prefecture_rule.h"
#include "extract/census_files.h"
#include "extract/files.h"
#include "extract/output_items.h"

namespace h7::cli {

namespace {

// "N" or "N-M" of strict numbers (M null when absent); false when the form is wrong.
bool strictRange(const QString& text, QString& first, QString& last) {
  const QStringList parts = text.split(u'-');
  if (parts.size() > 2) return false;
  first = strictNumber(parts[0]);
  last = parts.size() == 2 ? strictNumber(parts[1]) : QString();
  return !first.isNull() && (parts.size() == 1 || !last.isNull());
}

// The item numbers of item sets, in output order (a FIRST of 0 ends them, a LAST of 0 is the
// FIRST, an INTERVAL of 0 is 1); null for more than a run takes.
QString itemSequence(const std::vector<ItemSet>& sets) {
  QStringList items;
  for (const ItemSet& s : sets) {
    if (s.first == 0) break;
    const double last = s.last == 0 ? s.first : s.last, step = s.interval == 0 ? 1 : s.interval;
    for (double n = s.first; n <= last; n += step) {
      if (std::size_t(items.size()) == kMaxOutputItems) return {};
      items << QString::number(n, 'f', 0);
    }
  }
  return items.join(u',');
}

// Checked municipality ranges (ends of 0 substituted) as the codes they keep: up to a FIRST
// of 0, in order, overlapping and neighbouring ranges merged.
QString keptCodes(std::vector<MunicipalityRange> ranges) {
  const auto zero = std::find_if(ranges.begin(), ranges.end(), [](const MunicipalityRange& r) { return r.first == 0; });
  ranges.erase(zero, ranges.end());
  std::sort(ranges.begin(), ranges.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
  QStringList merged;
  double from = 0, to = -2;
  for (const MunicipalityRange& r : ranges) {
    if (r.first > to + 1 && to >= 0) merged << QStringLiteral("%1-%2").arg(from).arg(to);
    if (r.first > to + 1) from = r.first;
    to = std::max(to, r.last);
  }
  if (to >= 0) merged << QStringLiteral("%1-%2").arg(from).arg(to);
  return merged.join(u',');
}

}  // namespace

Result<std::vector<ItemSet>> parseItemSets(const QString& text) {
  std::vector<ItemSet> sets;
  for (const QString& part : text.split(u',')) {
    const QString set = halfWidth(part);
    const QStringList pieces = set.split(u':');
    QString first, last, interval;
    if (pieces.size() > 2 || !strictRange(pieces[0], first, last)) return usage(msg::badItemSets(text));
    if (pieces.size() == 2 && (interval = strictNumber(pieces[1])).isNull()) return usage(msg::badItemSets(text));
    sets.push_back({storedItemValue(first), storedItemValue(last), storedItemValue(interval)});
  }
  return sets;
}

Result<std::vector<MunicipalityRange>> parseMunicipalityRanges(const QString& text) {
  std::vector<MunicipalityRange> ranges;
  for (const QString& part : text.split(u',')) {
    QString first, last;
    if (!strictRange(part, first, last)) return usage(msg::badRanges(text));
    ranges.push_back({numericValue(first), numericValue(last)});
  }
  if (ranges.front().first == 0) return rejected(msg::noRanges(text));  // the filter would keep nothing
  if (auto failure = checkMunicipalityRanges(ranges)) return rejected(*failure);
  return ranges;
}

Result<PrefectureList> parsePrefectures(const QString& text) {
  static const QRegularExpression form(QStringLiteral("^([0-9]{1,2}|TT)(-([0-9]{1,2}))?$"));
  PrefectureList list;
  for (const QString& part : text.split(u',')) {
    QStringList ends = halfWidth(part).split(u'-');
    for (QString& end : ends) end = trimBlanks(end).toString();
    if (ends.size() == 1 && ends[0].compare(QLatin1String("all"), Qt::CaseInsensitive) == 0) {
      list.all = true;
      continue;
    }
    const QRegularExpressionMatch m = form.match(ends.join(u'-'));
    if (!m.hasMatch()) return usage(msg::badPrefectures(text));
    const PrefectureCheck from = checkPrefecture(m.captured(1));
    if (from.failure) return rejected(*from.failure);
    if (!m.hasCaptured(3)) {
      list.named << from.text;
      continue;
    }
    const PrefectureCheck to = checkPrefecture(m.captured(3));
    if (to.failure || from.text == u"TT") return rejected(msg::badPrefecture());
    const int a = from.text.toInt(), b = to.text.toInt();
    if (a > b) return rejected(msg::badPrefecture());
    for (int n = a; n <= b; ++n) list.named << QStringLiteral("%1").arg(n, 2, 10, QLatin1Char('0'));
  }
  list.named.sort();  // in prefecture order, each once
  list.named.removeDuplicates();
  return list;
}

Result<QStringList> prefecturesFound(const QString& folder, const TabulationGroup& group) {
  QStringList found;
  const std::optional<Failure> failure = forEachCensusEntry(folder, [&](std::string_view entry) {
    const std::optional<CensusName> name = readCensusName(entry);
    if (!name || name->group != &group || name->prefecture.isEmpty()) return;
    const QString& pref = name->prefecture;
    if (pref != u"TT" && !checkPrefecture(pref).failure && !found.contains(pref)) found << pref;  // TT only when named
  });
  if (failure && isArchiveLocation(folder)) return *failure;  // a folder that cannot be read fails when it is read
  found.sort();
  return found;
}

// An option's value as it counts when the option is given twice: a number by its value,
// prefecture and municipality lists as what they select, item sets as the items in output
// order, a search key as searched; folders and names as written, and so is a value that
// does not read.
QString comparable(const QString& name, const QString& value) {
  QString same;
  if (name == u"group") {
    same = strictNumber(value);
    while (same.size() > 1 && same.startsWith(u'0')) same.remove(0, 1);
  } else if (name == u"pref") {
    if (auto list = parsePrefectures(value)) same = (list->all ? QStringLiteral("all,") : QString()) + list->named.join(u',');
  } else if (name == u"items") {
    if (auto sets = parseItemSets(value)) same = itemSequence(*sets);
  } else if (name == u"municipalities") {
    if (auto ranges = parseMunicipalityRanges(value)) same = keptCodes(*ranges);
  } else if (name == u"items-matching" || name == u"filter") {
    same = searchKey(value);
  }
  return same.isNull() ? value : same;
}

}  // namespace h7::cli
