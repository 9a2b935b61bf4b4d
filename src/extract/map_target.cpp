#include "extract/map_target.h"

#include <QFileInfo>
#include <QSet>
#include <cstring>
#include <sys/stat.h>

#include <cmath>
#include <limits>

#include "core/command_line.h"
#include "core/numeric.h"
#include "core/sjis.h"
#include "extract/csv.h"
#include "extract/map_module.h"

namespace h7 {

namespace {

// The columns before the items: the key and the codes, labelled as in the CSV header.
constexpr std::size_t kCodes = 1 + std::size(kCodeLabels);

// A text of at most 22 bytes (11 characters of up to two bytes), behind its length.
void putText(ByteBuffer& out, std::string_view text) {
  out.push_back(char(text.size()));
  out.append(text);
}

std::string_view takeText(std::string_view& from) {
  const std::size_t n = static_cast<unsigned char>(from[0]);
  const std::string_view text = from.substr(1, n);
  from.remove_prefix(1 + n);
  return text;
}

bool ascii(std::string_view text) {
  for (char c : text)
    if (static_cast<unsigned char>(c) >= 0x80) return false;
  return true;
}

// Names compared as SQLite compares column names: ASCII letters ignoring case.
QByteArray sqliteFolded(QByteArray name) {
  for (char& c : name)
    if (c >= 'A' && c <= 'Z') c = char(c - 'A' + 'a');
  return name;
}

constexpr int kCodesShown = 3;  // of each side, when nothing joined

// The failure with the path it concerns and GDAL's own words, when it said any.
Failure withGdalWords(const Failure& failure, const QString& path, const char* detail) {
  const QString said = QString::fromUtf8(detail).trimmed();
  if (said.isEmpty()) return withPath(failure, path);
  return withPath(failure, said.contains(path) ? said : path + QStringLiteral(": ") + said);
}

}  // namespace

bool appendMapRecord(ByteBuffer& out, const RecordView& record, const RecordLayout& layout, bool suppressedAsZero) {
  putText(out, record.chars(kKeyPos, kKeyLen));
  putText(out, record.chars(kPrefecturePos, kPrefectureLen));
  putText(out, record.chars(kMunicipalityPos, kMunicipalityLen));
  putText(out, record.chars(kAreaPos, kAreaLen));
  for (int p : layout.positions) {
    const std::string_view field = record.chars(fieldPosition(p), kFieldWidth);
    if (!layout.numerify) {
      putText(out, field);
      continue;
    }
    std::optional<double> value = numerifiedValue(field);
    if (!value) return false;
    if (!suppressedAsZero && !holdsNumber(field)) value = std::numeric_limits<double>::quiet_NaN();
    out.append(reinterpret_cast<const char*>(&*value), sizeof(double));
  }
  return true;
}

MapTarget::MapTarget(const RunInputs& in, OutputFile& file, OutputFile& unmatched, int groupOffset)
    : request_(in.map),
      output_(in.outputFile),
      file_(file),
      unmatched_(unmatched),
      groupOffset_(groupOffset),
      numerify_(in.numerify) {}

MapTarget::~MapTarget() {
  if (join_) api_->join_close(join_);
}

Failure MapTarget::failure(const h7map_failure& failed) const {
  const QString& boundaries = request_.boundaries;
  switch (failed.code) {
    case H7MAP_BOUNDARIES_NOT_OPENED: return withGdalWords(msg::boundariesNotOpened(), boundaries, failed.detail);
    case H7MAP_NO_LAYER: return withPath(msg::noBoundaryLayer(request_.layer), boundaries);
    case H7MAP_NO_KEY_FIELD: return withPath(msg::noBoundaryField(request_.keyField), boundaries);
    case H7MAP_BAD_KEY_FIELD: return withPath(msg::badBoundaryField(request_.keyField), boundaries);
    case H7MAP_NO_FIELD: return withPath(msg::noCopiedField(QString::fromUtf8(failed.detail)), boundaries);
    case H7MAP_NOT_POLYGONS: return rejected(withPath(msg::notPolygons(QString::fromUtf8(failed.detail)), boundaries));
    case H7MAP_BOUNDARIES_NOT_READ: return withGdalWords(msg::boundariesNotRead(), boundaries, failed.detail);
    default:
      if (auto full = file_.spaceFailure()) return *full;  // the file-size limit, a full disk
      return withGdalWords(msg::mapNotWritten(), output_, failed.detail);
  }
}

// Column names: the codes' labels, then the item names; an empty item name, or one taken
// already (SQLite compares names ignoring case), becomes item_NUMBER, or item_NUMBER_2, _3...
// when that is taken too. Codes are text, items numbers when numerified.
std::optional<Failure> MapTarget::header(const NameTable& names, const std::vector<int>& positions) {
  const MapModule& module = mapModule();
  if (!module.api) return mapModuleFailure(module);
  api_ = module.api;
  h7map_failure failed{};
  const QByteArray path = toNativeBytes(request_.boundaries), layer = request_.layer.toUtf8(),
                   key = request_.keyField.toUtf8();
  std::vector<QByteArray> fields;
  std::vector<const char*> fieldNames;
  for (const QString& field : request_.fields) fields.push_back(field.toUtf8());
  for (const QByteArray& field : fields) fieldNames.push_back(field.constData());
  const h7map_boundaries boundaries{path.constData(), layer.constData(), key.constData(), fieldNames.data(),
                                    fieldNames.size(), request_.allFields, warned, this};
  struct stat st {};  // a pipe or a device holds no layer, and GDAL would wait for a pipe's writer
  if (::stat(path.constData(), &st) == 0 && !S_ISREG(st.st_mode) && !S_ISDIR(st.st_mode))
    return withPath(msg::boundariesNotOpened(), request_.boundaries);
  if (!(join_ = api_->join_open(&boundaries, &failed))) return failure(failed);

  QSet<QString> taken{QStringLiteral("fid"), QStringLiteral("geom")};
  std::vector<QByteArray> columns;
  std::vector<int> numeric;
  for (std::size_t i = 0; i < kCodes + positions.size(); ++i) {
    const bool item = i >= kCodes;
    QString name = item ? sjis::decode(names.lines[std::size_t(positions[i - kCodes])]).trimmed()
                        : QString::fromUtf8(i == 0 ? kKeyLabel : kCodeLabels[i - 1]);
    if (item && (name.isEmpty() || taken.contains(name.toCaseFolded()))) {
      const QString fallback = QStringLiteral("item_%1").arg(positions[i - kCodes] + groupOffset_);
      name = fallback;
      for (int n = 2; taken.contains(name.toCaseFolded()); ++n) name = fallback + QStringLiteral("_%1").arg(n);
    }
    taken.insert(name.toCaseFolded());
    columns.push_back(name.toUtf8());
    numeric.push_back(item && numerify_);
  }
  if (auto clash = checkCopiedFields(columns)) return clash;
  std::vector<const char*> columnNames;
  for (const QByteArray& c : columns) columnNames.push_back(c.constData());
  const std::string temporary = file_.temporaryPath();
  const QByteArray layerName =
      (request_.outputLayer.isEmpty() ? QFileInfo(output_).completeBaseName() : request_.outputLayer).toUtf8();
  const h7map_layer created{temporary.c_str(), layerName.constData(), columnNames.data(), numeric.data(), columns.size()};
  if (temporary.empty() || !api_->join_create(join_, &created, &failed)) return failure(failed);
  values_.assign(columns.size(), h7map_value{});
  utf8_.assign(columns.size(), std::string());
  if (request_.unmatched.isEmpty()) return std::nullopt;
  unmatchedLines_.append(msg::unmatchedHeader().toStdString() + "\r\n");
  return std::nullopt;
}

// The module's warnings, in the user's words, kept for the end of the run.
void MapTarget::warned(void* self, int warning, const char* text) {
  auto& target = *static_cast<MapTarget*>(self);
  target.warnings_ << (warning == H7MAP_NO_COORDINATE_SYSTEM ? msg::noCoordinateSystem(target.request_.boundaries)
                                                             : msg::partsNotUnited(QString::fromUtf8(text)));
}

// A copied boundary field may not take the name of a column of ours.
std::optional<Failure> MapTarget::checkCopiedFields(const std::vector<QByteArray>& columns) const {
  QSet<QByteArray> taken{"fid", "geom"};
  for (const QByteArray& c : columns) taken.insert(sqliteFolded(c));
  for (std::size_t i = 0; i < api_->join_field_count(join_); ++i) {
    const QByteArray name = api_->join_field_name(join_, i);
    if (taken.contains(sqliteFolded(name))) return rejected(msg::copiedFieldClash(QString::fromUtf8(name)));
    taken.insert(sqliteFolded(name));
  }
  return std::nullopt;
}

// A line of the list of codes that did not join, written once a block of them is ready.
std::optional<Failure> MapTarget::listUnmatched(std::string_view code, const QString& side) {
  if (request_.unmatched.isEmpty()) return std::nullopt;
  appendQuoted(unmatchedLines_, code);
  const QByteArray sideText = side.toUtf8();
  unmatchedLines_.push_back(',');
  unmatchedLines_.append(std::string_view(sideText.constData(), std::size_t(sideText.size())));
  unmatchedLines_.append("\r\n");
  if (unmatchedLines_.size() < (std::size_t(1) << 16)) return std::nullopt;
  const std::optional<Failure> failure = unmatched_.write(unmatchedLines_.data(), unmatchedLines_.size());
  unmatchedLines_.clear();
  return failure;
}

// Records and boundaries, and not one area joined: the key field is the wrong one, or the
// codes are of another vintage; a few of each side show which.
std::optional<Failure> MapTarget::noneJoined() {
  QStringList keys;
  api_->join_unmatched(
      join_,
      [](void* context, const char* key, size_t size) {
        auto& list = *static_cast<QStringList*>(context);
        list << QString::fromUtf8(key, qsizetype(size));
        return int(list.size() < kCodesShown);
      },
      &keys);
  return msg::nothingJoined(request_.keyField, someCodes_.join(QStringLiteral(", ")), keys.join(QStringLiteral(", ")));
}

void MapTarget::setText(std::size_t column, std::string_view shiftJis) {
  h7map_value& v = values_[column];
  if (!ascii(shiftJis)) shiftJis = utf8_[column] = sjis::decode(shiftJis).toStdString();
  v = {H7MAP_TEXT, shiftJis.data(), shiftJis.size(), 0};
}

std::optional<Failure> MapTarget::write(const ByteBuffer& made) {
  for (std::string_view rest = made.view(); !rest.empty();) {
    for (std::size_t i = 0; i < values_.size(); ++i) {
      if (i < kCodes || !numerify_) {
        setText(i, takeText(rest));
        continue;
      }
      values_[i] = {H7MAP_NUMBER, nullptr, 0, 0};
      std::memcpy(&values_[i].number, rest.data(), sizeof(double));
      if (std::isnan(values_[i].number)) values_[i].kind = H7MAP_NULL;  // no number in the field
      rest.remove_prefix(sizeof(double));
    }
    const std::string_view key(values_[0].text, values_[0].size);
    h7map_failure failed{};
    int joined = 0;
    if (!api_->join_add(join_, key.data(), key.size(), values_.data(), values_.size(), &joined, &failed))
      return failure(failed);
    if (joined) continue;
    if (someCodes_.size() < kCodesShown) someCodes_ << QString::fromUtf8(key.data(), qsizetype(key.size()));
    if (auto failure = listUnmatched(key, msg::noBoundarySide())) return failure;
  }
  return std::nullopt;
}

std::optional<Failure> MapTarget::finish() {
  h7map_counts counts{};
  h7map_failure failed{};
  if (!api_->join_finish(join_, &counts, &failed)) return failure(failed);
  counts_ = {counts.joined, counts.no_boundary, counts.no_data, counts.merged_areas, counts.merged_features};
  if (counts.joined == 0 && counts.no_boundary > 0 && counts.no_data > 0) return noneJoined();
  if (request_.unmatched.isEmpty()) return std::nullopt;
  std::pair<MapTarget*, std::optional<Failure>> listing(this, std::nullopt);
  api_->join_unmatched(
      join_,
      [](void* context, const char* key, size_t size) {
        auto& [self, failure] = *static_cast<std::pair<MapTarget*, std::optional<Failure>>*>(context);
        failure = self->listUnmatched(std::string_view(key, size), msg::noDataSide());
        return int(!failure);
      },
      &listing);
  if (listing.second) return listing.second;
  return unmatched_.write(unmatchedLines_.data(), unmatchedLines_.size());
}

}  // namespace h7
