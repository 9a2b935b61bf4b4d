#include "sample_arguments.h"

#include <QCommandLineParser>
#include <QDir>
#include <algorithm>
#include <charconv>
#include <map>
#include <string>
#include <string_view>

#include "core/command_line.h"
#include "core/half_width.h"

namespace {

namespace text = h7::msg::sample;

constexpr const char* kValueOptions[] = {"out", "pref", "group", "records", "seed", "suppressed", "boundaries-format",
                                         "boundaries-split", "archive"};

// A number read as h7extract reads one (full-width digits and blanks around it taken); false
// when it is anything else or does not fit.
template <typename T>
bool parseNumber(std::string_view text, T& value) {
  const std::string digits = h7::strictNumber(QString::fromUtf8(text.data(), qsizetype(text.size()))).toStdString();
  const char* end = digits.data() + digits.size();
  auto [ptr, ec] = std::from_chars(digits.data(), end, value);
  return !digits.empty() && ec == std::errc() && ptr == end;
}

// "13", "01-47", "01,13-14,27": prefecture numbers 1-47 in the order given, each once.
bool parsePrefectures(const std::string& given, std::vector<int>& out) {
  const std::string half = h7::halfWidth(QString::fromStdString(given)).toStdString();  // "１３－１４" too
  std::string_view text = half;
  while (true) {
    const std::size_t comma = text.find(',');
    const std::string_view item = text.substr(0, comma);
    const std::size_t dash = item.find('-');
    int first = 0, last = 0;
    if (!parseNumber(item.substr(0, dash), first)) return false;
    if (dash == std::string_view::npos) last = first;
    else if (!parseNumber(item.substr(dash + 1), last)) return false;
    if (first < 1 || last > 47 || first > last) return false;
    for (int p = first; p <= last; ++p)
      if (std::find(out.begin(), out.end(), p) == out.end()) out.push_back(p);
    if (comma == std::string_view::npos) return true;
    text.remove_prefix(comma + 1);
  }
}

// A value as it counts when its option is given twice: a number by its value, prefectures
// as the set they name; anything else, and what does not read, as written.
std::string comparable(const std::string& option, const std::string& value) {
  std::vector<int> list;
  std::uint64_t number = 0;
  if (option == "pref" && parsePrefectures(value, list)) {
    std::sort(list.begin(), list.end());
    std::string set;
    for (int p : list) set += std::to_string(p) + ',';
    return set;
  }
  return option != "out" && parseNumber(value, number) ? std::to_string(number) : value;
}

// The values of --data's options into the request.
std::optional<h7::Failure> readData(std::map<std::string, std::string>& values, SampleRequest& r) {
  auto given = [&](const char* name) { return values.count(name) > 0; };
  if (!given("pref")) return text::dataNeeds(QStringLiteral("--pref"));
  if (!given("group")) return text::dataNeeds(QStringLiteral("--group"));
  if (!given("records")) return text::dataNeeds(QStringLiteral("--records"));
  if (!parsePrefectures(values["pref"], r.prefectures)) return text::badValue("pref", values["pref"]);
  int group = 0;
  if (!parseNumber(values["group"], group) || !(r.group = h7::tabulationGroup(group)))
    return text::badValue("group", values["group"]);
  if (!parseNumber(values["records"], r.records) || r.records < 0 || r.records > 100000000)
    return text::badValue("records", values["records"]);
  if (given("seed") && !parseNumber(values["seed"], r.seed)) return text::badValue("seed", values["seed"]);
  if (given("suppressed") && (!parseNumber(values["suppressed"], r.suppressed) || r.suppressed < 0 || r.suppressed > 100))
    return text::badValue("suppressed", values["suppressed"]);
  const std::string format = given("boundaries-format") ? values["boundaries-format"] : "gpkg";
  if (format != "gpkg" && format != "shp") return text::badValue("boundaries-format", format);
  r.shape.shapefile = format == "shp";
  r.shape.seed = r.seed;
  if (given("boundaries-split") && (!parseNumber(values["boundaries-split"], r.shape.split) || r.shape.split > 100))
    return text::badValue("boundaries-split", values["boundaries-split"]);
  return std::nullopt;
}

}  // namespace

h7::Result<SampleRequest> readArguments(const QStringList& arguments) {
  QList<QCommandLineOption> options;
  for (const char* name : kValueOptions) options << QCommandLineOption(QString::fromLatin1(name), QString(), QStringLiteral("value"));
  options << QCommandLineOption(QStringLiteral("names")) << QCommandLineOption(QStringLiteral("data"))
          << QCommandLineOption(QStringLiteral("force")) << QCommandLineOption(QStringLiteral("boundaries"))
          << QCommandLineOption(QStringList{QStringLiteral("h"), QStringLiteral("help")});
  QCommandLineParser parser;
  if (auto failure = h7::readCommandLine(parser, options, arguments, {text::unknownArgument, text::needsValue, text::unknownArgument}))
    return *failure;
  SampleRequest r;
  if ((r.help = parser.isSet(QStringLiteral("help")))) return r;
  std::map<std::string, std::string> values;  // the options given, by name
  for (const char* name : kValueOptions) {
    const QStringList given = parser.values(QString::fromLatin1(name));
    if (given.isEmpty()) continue;
    values[name] = given.first().toStdString();
    for (const QString& other : given)
      if (comparable(name, other.toStdString()) != comparable(name, values[name]))
        return text::givenTwice(QStringLiteral("--") + QLatin1String(name));
  }
  r.names = parser.isSet(QStringLiteral("names")), r.data = parser.isSet(QStringLiteral("data"));
  r.force = parser.isSet(QStringLiteral("force")), r.boundaries = parser.isSet(QStringLiteral("boundaries"));
  auto given = [&](const char* name) { return values.count(name) > 0; };

  if (!r.names && !r.data) return text::nothingToDo();
  if ((given("boundaries-format") || given("boundaries-split")) && !r.boundaries) return text::onlyWithBoundaries();
  if (given("archive")) {
    const std::string& format = values["archive"];
    if (format != "zip" && format != "tgz") return text::badValue("archive", format);
    r.archive = format == "zip" ? ArchiveFormat::Zip : ArchiveFormat::TarGz;
    if (r.boundaries) return text::archiveNoBoundaries();
  }
  if (!given("out") || values["out"].empty())
    return text::required(r.archive == ArchiveFormat::None ? QStringLiteral("--out DIR") : QStringLiteral("--out FILE"));
  if (r.data) {
    if (auto failure = readData(values, r)) return *failure;
  } else if (given("pref") || given("group") || given("records") || given("seed") || given("suppressed") || r.boundaries) {
    return text::onlyWithData();
  }
#ifndef H7_MAP
  if (r.boundaries) return text::noMapSupport();
#endif
  r.dir = QDir::cleanPath(QString::fromStdString(values["out"]));
  return r;
}
