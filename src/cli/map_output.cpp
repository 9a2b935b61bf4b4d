#include "cli/map_output.h"

#include <QDir>
#include <QFileInfo>
#include <QSet>
#include <atomic>
#include <cerrno>
#include <charconv>
#include <cstdio>
#include <fcntl.h>
#include <gdal_priv.h>
#include <ogrsf_frmts.h>
#include <string>
#include <unistd.h>
#include <unordered_map>

#include "core/sjis.h"
#include "extract/files.h"

namespace h7::cli {

namespace {

// The failure with the path it concerns and GDAL's own words, when it said any.
Failure gdalFailure(const Failure& failure, const QString& path) {
  const QString said = QString::fromUtf8(CPLGetLastErrorMsg()).trimmed();
  if (said.isEmpty()) return withPath(failure, path);
  return withPath(failure, said.contains(path) ? said : path + QStringLiteral(": ") + said);
}

bool ascii(std::string_view text) {
  for (char c : text)
    if (static_cast<unsigned char>(c) >= 0x80) return false;
  return true;
}

// Splits whole lines of our own CSV into fields: quoted or not, "" for a quotation mark
// inside quotes, a line ended by CR LF outside quotes (a quoted raw value may hold LF).
class CsvLines {
 public:
  explicit CsvLines(std::string_view text) : text_(text) {}
  // The next line's fields (reused between calls); false at the end.
  bool next(std::vector<std::string>& fields, std::size_t& count) {
    if (at_ >= text_.size()) return false;
    count = 0;
    for (;;) {
      if (fields.size() == count) fields.emplace_back();
      std::string& f = fields[count++];
      f.clear();
      if (at_ < text_.size() && text_[at_] == '"') {
        ++at_;
        for (;;) {
          const std::size_t quote = text_.find('"', at_);
          f.append(text_.substr(at_, quote - at_));
          at_ = quote == std::string_view::npos ? text_.size() : quote + 1;
          if (at_ >= text_.size() || text_[at_] != '"') break;
          f.push_back('"');
          ++at_;
        }
      } else {
        std::size_t end = at_;
        while (end < text_.size() && text_[end] != ',' && text_[end] != '\r') ++end;
        f.append(text_.substr(at_, end - at_));
        at_ = end;
      }
      if (at_ < text_.size() && text_[at_] == ',') {
        ++at_;
        continue;
      }
      if (at_ < text_.size() && text_[at_] == '\r') ++at_;
      if (at_ < text_.size() && text_[at_] == '\n') ++at_;
      return true;
    }
  }

 private:
  std::string_view text_;
  std::size_t at_ = 0;
};

struct BoundaryEntry {
  GIntBig fid;
  bool taken = false;
};

}  // namespace

struct MapOutput::State {
  State(MapRequest r, QString o, std::vector<int> i, bool n)
      : request(std::move(r)), output(std::move(o)), items(std::move(i)), numerify(n) {}
  MapRequest request;
  QString output;
  std::vector<int> items;
  bool numerify;

  std::string pending;  // the start of a line whose end is still to come
  std::vector<std::string> fields;
  bool headerSeen = false;

  GDALDataset* boundaries = nullptr;
  OGRLayer* boundaryLayer = nullptr;
  std::unordered_map<std::string, BoundaryEntry> index;  // key -> the first feature holding it
  long long withoutKey = 0;

  std::string temp;  // native path of the GeoPackage being written, empty once moved or removed
  GDALDataset* out = nullptr;
  OGRLayer* layer = nullptr;
  OGRFeature* feature = nullptr;
  JoinCounts counts;

  // Shift-JIS text as UTF-8 (most of it is ASCII and stays as it is).
  const char* utf8(const std::string& text, std::string& scratch) {
    if (ascii(text)) return text.c_str();
    scratch = sjis::decode(text).toStdString();
    return scratch.c_str();
  }

  std::optional<Failure> addLines(std::string_view text);
  std::optional<Failure> start(std::size_t count);
  std::optional<Failure> openBoundaries();
  std::optional<Failure> createOutput(std::size_t count);
  std::optional<Failure> addRecord(std::size_t count);
  void close();
};

// Every key of the boundary layer, with the feature that holds it first.
std::optional<Failure> MapOutput::State::openBoundaries() {
  const QString& path = request.boundaries;
  if (auto refused = refuseOutputOverInputs(output, -1, {path}, {})) return refused;
  CPLErrorReset();
  constexpr unsigned flags = GDAL_OF_VECTOR | GDAL_OF_READONLY | GDAL_OF_VERBOSE_ERROR;
  boundaries = GDALDataset::Open(QFile::encodeName(path).constData(), flags);
  if (!boundaries) return gdalFailure(msg::boundariesNotOpened(), path);
  boundaryLayer = request.layer.isEmpty() ? boundaries->GetLayer(0)
                                          : boundaries->GetLayerByName(request.layer.toUtf8().constData());
  if (!boundaryLayer) return withPath(msg::noBoundaryLayer(request.layer), path);
  OGRFeatureDefn* defn = boundaryLayer->GetLayerDefn();
  const int key = defn->GetFieldIndex(request.keyField.toUtf8().constData());
  if (key < 0) return withPath(msg::noBoundaryField(request.keyField), path);
  const OGRFieldType type = defn->GetFieldDefn(key)->GetType();
  if (type != OFTString && type != OFTInteger && type != OFTInteger64)
    return withPath(msg::badBoundaryField(request.keyField), path);

  // The key alone is read for the index, the geometry alone for the output.
  CPLStringList others, all;
  for (int i = 0; i < defn->GetFieldCount(); ++i) {
    all.AddString(defn->GetFieldDefn(i)->GetNameRef());
    if (i != key) others.AddString(defn->GetFieldDefn(i)->GetNameRef());
  }
  others.AddString("OGR_GEOMETRY");
  boundaryLayer->SetIgnoredFields(const_cast<const char**>(others.List()));
  CPLErrorReset();
  boundaryLayer->ResetReading();
  // A feature's key: the text trimmed, or the number with leading zeros; empty without one.
  auto keyOf = [&](const OGRFeature& f) -> std::string {
    if (!f.IsFieldSetAndNotNull(key)) return {};
    if (type == OFTString) return QString::fromUtf8(f.GetFieldAsString(key)).trimmed().toStdString();
    char digits[32];
    std::snprintf(digits, sizeof digits, "%011lld", static_cast<long long>(f.GetFieldAsInteger64(key)));
    return digits;
  };
  for (auto& f : *boundaryLayer) {
    std::string text = keyOf(*f);
    if (text.empty()) ++withoutKey;
    else if (!index.try_emplace(std::move(text), BoundaryEntry{f->GetFID()}).second) ++counts.duplicates;
  }
  if (CPLGetLastErrorType() >= CE_Failure) return gdalFailure(msg::boundariesNotRead(), path);
  boundaryLayer->SetIgnoredFields(const_cast<const char**>(all.List()));
  return std::nullopt;
}

// The GeoPackage beside the output: the boundary layer's coordinate system and geometry
// type; KEY_CODE and the codes as text, the items as numbers or text.
std::optional<Failure> MapOutput::State::createOutput(std::size_t count) {
  const QFileInfo info(output);
  if (info.isDir()) return withPath(msg::folderGiven(), output);
  if (!QFileInfo(info.absolutePath()).isDir()) return withPath(msg::pathNotFound(), output);
  const QFileDevice::Permissions mode = info.permissions();
  const bool writable = mode & (QFileDevice::WriteOwner | QFileDevice::WriteGroup | QFileDevice::WriteOther);
  if (info.exists() && (!info.isFile() || !writable || !info.isWritable())) return withPath(msg::cannotWrite(), output);
  GDALDriver* driver = GetGDALDriverManager()->GetDriverByName("GPKG");
  if (!driver) return withPath(msg::mapNotWritten(), output);

  removeStaleTemporaries(info.absolutePath());
  static std::atomic<unsigned> serial{0};
  const QString tempPath = QDir(info.absolutePath()).filePath(temporaryName(info.fileName(), ::getpid(), serial++));
  // The file is thrown away unless complete: no rollback journal, and one sync before the move.
  CPLSetThreadLocalConfigOption("OGR_SQLITE_JOURNAL", "OFF");
  CPLSetThreadLocalConfigOption("OGR_SQLITE_SYNCHRONOUS", "OFF");
  CPLErrorReset();
  out = driver->Create(QFile::encodeName(tempPath).constData(), 0, 0, 0, GDT_Unknown, nullptr);
  CPLSetThreadLocalConfigOption("OGR_SQLITE_JOURNAL", nullptr);
  CPLSetThreadLocalConfigOption("OGR_SQLITE_SYNCHRONOUS", nullptr);
  if (!out) return gdalFailure(msg::mapNotWritten(), output);
  temp = QFile::encodeName(tempPath).toStdString();
  if (info.exists()) QFile::setPermissions(tempPath, mode);  // keep the permissions the user gave the file

  CPLErrorReset();
  layer = out->CreateLayer(info.completeBaseName().toUtf8().constData(), boundaryLayer->GetSpatialRef(),
                           boundaryLayer->GetGeomType(), nullptr);
  if (!layer) return gdalFailure(msg::mapNotWritten(), output);
  // Column names: the header's; an empty item name, or one taken already (SQLite compares
  // names ignoring case), becomes item_NUMBER, or item_NUMBER_2, _3... when that is taken too.
  QSet<QString> taken{QStringLiteral("fid"), QStringLiteral("geom")};
  for (std::size_t i = 0; i < count; ++i) {
    std::string scratch;
    QString name = QString::fromUtf8(utf8(fields[i], scratch)).trimmed();
    const bool item = i >= 4;
    if (item && (name.isEmpty() || taken.contains(name.toCaseFolded()))) {
      const QString fallback = QStringLiteral("item_%1").arg(items[i - 4]);
      name = fallback;
      for (int n = 2; taken.contains(name.toCaseFolded()); ++n) name = fallback + QStringLiteral("_%1").arg(n);
    }
    taken.insert(name.toCaseFolded());
    OGRFieldDefn column(name.toUtf8().constData(), item && numerify ? OFTReal : OFTString);
    if (layer->CreateField(&column) != OGRERR_NONE) return gdalFailure(msg::mapNotWritten(), output);
  }
  if (out->StartTransaction() != OGRERR_NONE) return gdalFailure(msg::mapNotWritten(), output);
  feature = OGRFeature::CreateFeature(layer->GetLayerDefn());
  return std::nullopt;
}

std::optional<Failure> MapOutput::State::start(std::size_t count) {
  headerSeen = true;
  if (count != 4 + items.size()) return msg::outOfRange();  // KEY_CODE, three codes, the items
  if (auto failure = openBoundaries()) return failure;
  return createOutput(count);
}

// One area: its boundary's geometry (none when no boundary holds its key) and its columns.
std::optional<Failure> MapOutput::State::addRecord(std::size_t count) {
  std::string scratch;
  const auto found = index.find(utf8(fields[0], scratch));
  OGRGeometry* geometry = nullptr;
  if (found == index.end()) {
    ++counts.noBoundary;
  } else {
    ++counts.joined;
    found->second.taken = true;
    CPLErrorReset();
    OGRFeatureUniquePtr boundary(boundaryLayer->GetFeature(found->second.fid));
    if (!boundary) return gdalFailure(msg::boundariesNotRead(), request.boundaries);
    geometry = boundary->StealGeometry();
  }
  feature->SetFID(OGRNullFID);
  feature->SetGeometryDirectly(geometry);
  const int columns = feature->GetFieldCount();
  for (int i = 0; i < columns; ++i) {
    const std::string* text = std::size_t(i) < count ? &fields[std::size_t(i)] : nullptr;
    if (!text || text->empty()) {
      feature->SetFieldNull(i);
    } else if (i >= 4 && numerify) {
      double value = 0;
      const auto [end, error] = std::from_chars(text->data(), text->data() + text->size(), value);
      if (error != std::errc() || end != text->data() + text->size()) feature->SetFieldNull(i);
      else feature->SetField(i, value);
    } else {
      feature->SetField(i, utf8(*text, scratch));
    }
  }
  CPLErrorReset();
  if (layer->CreateFeature(feature) != OGRERR_NONE) return gdalFailure(msg::mapNotWritten(), output);
  return std::nullopt;
}

void MapOutput::State::close() {
  if (feature) OGRFeature::DestroyFeature(feature);
  feature = nullptr;
  if (out) GDALClose(out);
  out = nullptr;
  if (boundaries) GDALClose(boundaries);
  boundaries = nullptr;
}

MapOutput::MapOutput(MapRequest request, QString output, std::vector<int> items, bool numerify)
    : s_(std::make_unique<State>(std::move(request), std::move(output), std::move(items), numerify)) {
  GDALAllRegister();
  CPLPushErrorHandler(CPLQuietErrorHandler);  // GDAL's words reach the user in our failures only
}

MapOutput::~MapOutput() {
  s_->close();
  if (!s_->temp.empty()) ::unlink(s_->temp.c_str());
  CPLPopErrorHandler();
}

std::optional<Failure> MapOutput::State::addLines(std::string_view text) {
  CsvLines csv(text);
  std::size_t count = 0;
  while (csv.next(fields, count))
    if (auto failure = headerSeen ? addRecord(count) : start(count)) return failure;
  return std::nullopt;
}

std::optional<Failure> MapOutput::write(std::string_view lines) {
  // Lines end in CR LF, and CR stands nowhere else: what follows the last CR LF waits.
  State& s = *s_;
  const std::string_view text = s.pending.empty() ? lines : std::string_view(s.pending.append(lines));
  const std::size_t end = text.rfind("\r\n");
  const std::size_t whole = end == std::string_view::npos ? 0 : end + 2;
  if (auto failure = s.addLines(text.substr(0, whole))) return failure;
  s.pending = std::string(text.substr(whole));
  return std::nullopt;
}

std::optional<Failure> MapOutput::commit() {
  State& s = *s_;
  if (auto failure = s.addLines(s.pending)) return failure;
  if (!s.out) return withPath(msg::mapNotWritten(), s.output);
  CPLErrorReset();
  if (s.out->CommitTransaction() != OGRERR_NONE) return gdalFailure(msg::mapNotWritten(), s.output);
  s.close();  // the spatial index is written here
  if (CPLGetLastErrorType() >= CE_Failure) return gdalFailure(msg::mapNotWritten(), s.output);
  const int fd = ::open(s.temp.c_str(), O_RDONLY | O_CLOEXEC);
  const bool synced = fd >= 0 && ::fsync(fd) == 0;
  const int error = errno;
  if (fd >= 0) ::close(fd);
  if (!synced) return withPath(errnoFailure(error, true), s.output);
  if (::rename(s.temp.c_str(), QFile::encodeName(s.output).constData()) != 0)
    return withPath(errnoFailure(errno, true), s.output);
  s.temp.clear();
  for (const auto& [key, entry] : s.index) s.counts.noData += entry.taken ? 0 : 1;
  s.counts.noData += s.withoutKey;
  return std::nullopt;
}

const JoinCounts& MapOutput::counts() const { return s_->counts; }

}  // namespace h7::cli
