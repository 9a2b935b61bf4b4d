#include "sample_data.h"

#include <QFileInfo>
#include <QList>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <vector>

#include "core/sjis.h"
#include "sample_cells.h"
#include "sample_names.h"
#include "sample_random.h"

namespace {

constexpr int kCodeWidth = 50;  // positions 1-50 before the first item field

struct Municipality {
  int code;
  std::int64_t records;
};

// Between 5 and 40 municipalities (fewer for tiny files): a few wards (1xx), cities (2xx)
// and towns and villages (3xx-5xx), in code order, sharing the records unevenly.
std::vector<Municipality> planMunicipalities(std::int64_t records, SplitMix64& rng) {
  const int n = int(std::min<std::int64_t>(
      records, std::clamp(int(std::sqrt(double(records)) / 5), 5, 40)));
  if (n == 0) return {};
  const int wards = n / 5;
  const int cities = std::max(1, (n - wards) * 2 / 5);
  const int towns = n - wards - cities;
  std::vector<Municipality> list;
  int code = 100;
  for (int i = 0; i < wards; ++i) list.push_back({code += 1 + int(rng.below(2)), 0});
  code = 200;
  for (int i = 0; i < cities; ++i) list.push_back({code += 1 + int(rng.below(3)), 0});
  code = 300;
  const int townStep = std::max(1, 280 / std::max(1, towns));
  for (int i = 0; i < towns; ++i) list.push_back({code += 1 + int(rng.below(townStep)), 0});

  std::vector<std::int64_t> weight;
  std::int64_t total = 0;
  for (int i = 0; i < n; ++i) total += weight.emplace_back(1 + std::int64_t(rng.below(8)));
  const std::int64_t spare = records - n;
  std::int64_t given = 0;
  for (std::size_t i = 0; i < list.size(); ++i) given += (list[i].records = 1 + spare * weight[i] / total);
  for (std::size_t i = 0; given < records; i = (i + 1) % list.size(), ++given) ++list[i].records;
  return list;
}

// Area names that now and then fill positions 27-50, so that positions count characters.
QList<QByteArray> areaNames() {
  const QStringList bases = axis({"千代田区丸の内", "中央区銀座", "本町", "栄町", "緑町", "旭町",
                                  "大字上野", "大字新田", "東雲", "若葉台", "桜ケ丘", "駅前通"});
  QList<QByteArray> list;
  for (const QString& b : bases)
    for (int c = 1; c <= 9; c += 4) {
      QString name = b + wide(c) + QStringLiteral("丁目");
      list << h7::sjis::encode(name) + QByteArray(24 - name.size(), ' ');
    }
  return list;
}

// The length of the line cut after `cut` characters.
std::size_t cutAfter(const char* line, std::size_t length, std::size_t cut) {
  const auto* b = reinterpret_cast<const unsigned char*>(line);
  const auto* end = b + length;
  const auto* at = b;
  for (std::size_t c = 0; c < cut && at < end; ++c) at += h7::sjis::charLength(at, end);
  return std::size_t(at - b);
}

}  // namespace

std::optional<h7::Failure> makeDataFile(const DataJob& job, BlockWriter& out) {
  const h7::TabulationGroup& g = *job.group;
  char pref[3];
  std::snprintf(pref, sizeof pref, "%02d", job.pref);

  // One stream per file, so that every prefecture and group looks different.
  SplitMix64 mix{job.seed ^ (std::uint64_t(job.pref) << 40) ^ (std::uint64_t(g.number) << 56)};
  SplitMix64 rng{mix.next()};
  const std::vector<Column> columns = columnsOf(g, rng);
  const std::vector<Municipality> municipalities = planMunicipalities(job.records, rng);
  const QList<QByteArray> areas = areaNames();
  const QByteArray hidden = QByteArray(8, ' ') + h7::sjis::encode(QStringLiteral("秘匿"));
  const char* tableCode = g.number == 1 ? "04" : g.number == 2 ? "14" : "18";
  const int fields = g.fieldsPerRecord;
  const std::size_t fullChars = std::size_t(kCodeWidth + kFieldWidth * fields);
  const std::size_t maxLine = fullChars + 24 + 2 + 2;  // area name, hidden marker, CR LF

  std::int64_t serial = 0;
  for (const Municipality& m : municipalities) {
    std::int64_t area = 100 + std::int64_t(rng.below(900));
    const std::int64_t maxStep = std::clamp<std::int64_t>((999999 - area) / (m.records + 1), 1, 40);
    for (std::int64_t r = 0; r < m.records && out.ok(); ++r) {
      ++serial;
      char* const line = out.room(maxLine);
      char head[40];
      std::snprintf(head, sizeof head, "%s1995%09lld%s%03d%06lld", tableCode,
                    static_cast<long long>(serial % 1000000000), pref, m.code,
                    static_cast<long long>(area % 1000000));
      area += 1 + std::int64_t(rng.below(std::uint64_t(maxStep)));
      std::memcpy(line, head, 26);
      char* p = line + 26;
      bool ascii = true;
      if (rng.below(500) == 0) {
        const QByteArray& name = areas[qsizetype(rng.below(std::uint64_t(areas.size())))];
        std::memcpy(p, name.constData(), std::size_t(name.size()));
        p += name.size();
        ascii = false;
      } else {
        std::memset(p, ' ', 24);
        p[0] = '0';
        p[1] = char('1' + rng.below(3));
        p += 24;
      }
      const int hiddenField = rng.below(200) == 0 ? int(rng.below(std::uint64_t(fields))) : -1;
      if (hiddenField >= 0) ascii = false;

      for (int k = 0; k < fields; ++k, p += kFieldWidth) {
        if (k == hiddenField) {
          std::memcpy(p, hidden.constData(), std::size_t(hidden.size()));
          p += hidden.size() - kFieldWidth;
          continue;
        }
        putField(p, rng.next(), columns[std::size_t(k)], job.suppressed);
      }

      std::size_t length = std::size_t(p - line);
      if (rng.below(1000) == 0) {  // a short record, cut between two characters
        const std::size_t cut = rng.below(8) == 0 ? std::size_t(rng.below(60))
                                                  : 60 + std::size_t(rng.below(fullChars - 60));
        length = ascii ? cut : cutAfter(line, length, cut);
      }
      // The record handed on carries KEY_CODE as the run reads it (positions 16-26, ASCII):
      // the whole code, what a cut leaves of it, or none when the cut leaves none.
      if (const std::size_t keyEnd = std::min<std::size_t>(length, 26); job.record && keyEnd > 15)
        if (auto failure = job.record(serial - 1, std::string_view(head + 15, keyEnd - 15))) return *failure;
      line[length] = '\r';
      line[length + 1] = '\n';
      out.commit(length + 2);
    }
  }
  return std::nullopt;
}

SampleFile dataFile(const DataJob& job) {
  const QString path = h7::censusDataPath(QStringLiteral("."), QStringLiteral("%1").arg(job.pref, 2, 10, QLatin1Char('0')), *job.group);
  return {QFileInfo(path).fileName(), [job](BlockWriter& out) { return makeDataFile(job, out); },
          [records = job.records](const QString& shown, qint64 bytes) { return h7::msg::sample::madeRecords(shown, records, bytes); }};
}
