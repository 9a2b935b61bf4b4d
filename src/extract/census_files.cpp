#include "extract/census_files.h"

#include <cstring>
#include <mutex>
#include <strings.h>
#include <sys/stat.h>

#include "core/command_line.h"
#include "core/folders.h"
#include "core/groups.h"

namespace h7 {

namespace {

std::string_view lastPart(std::string_view path) {
  const std::size_t slash = path.rfind('/');
  return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

bool sameIgnoringCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() && ::strncasecmp(a.data(), b.data(), a.size()) == 0;
}

QString joined(const QString& folder, const QString& name) { return folder.endsWith(u'/') ? folder + name : folder + u'/' + name; }

QString splitPathOf(const QString& path) { return path.left(std::max<qsizetype>(path.lastIndexOf(u'/'), 0)); }

}  // namespace

// The members of the archive last listed are kept while it stays as it was.
Result<std::vector<ArchiveEntry>> archiveMembers(const QString& archive) {
  struct Kept {
    QString path;
    dev_t dev = 0;
    ino_t ino = 0;
    off_t size = -1;
    long long modified = 0;
    std::vector<ArchiveEntry> entries;
  };
  static std::mutex mutex;
  static Kept kept;
  struct stat st {};
  if (::stat(toNativeBytes(archive).constData(), &st) != 0) return errnoFailure(errno);
  const long long modified = (long long)st.st_mtim.tv_sec * 1000000000 + st.st_mtim.tv_nsec;
  std::lock_guard lock(mutex);
  if (kept.path == archive && kept.dev == st.st_dev && kept.ino == st.st_ino && kept.size == st.st_size &&
      kept.modified == modified)
    return kept.entries;
  Result<std::vector<ArchiveEntry>> entries = listArchive(archive);
  if (entries) kept = {archive, st.st_dev, st.st_ino, st.st_size, modified, *entries};
  return entries;
}

namespace {

Result<CensusFile> findInArchive(const QString& archive, const QString& wanted) {
  const QByteArray bytes = toNativeBytes(wanted);
  const std::string_view name(bytes.constData(), std::size_t(bytes.size()));
  const Result<std::vector<ArchiveEntry>> entries = archiveMembers(archive);
  if (!entries) return entries.failure();
  std::vector<const ArchiveEntry*> exact, anyCase;
  for (const ArchiveEntry& e : *entries) {
    if (!e.regular) continue;  // a link's bytes are not the file's
    const std::string_view last = lastPart(e.path);
    if (last == name) exact.push_back(&e);
    else if (sameIgnoringCase(last, name)) anyCase.push_back(&e);
  }
  const std::vector<const ArchiveEntry*>& found = exact.empty() ? anyCase : exact;
  const auto shown = [&](const ArchiveEntry* e) { return CensusFile{archive, *e, false}.shown(); };
  if (found.empty()) return CensusFile{joined(archive, wanted), {}, false, true};
  if (found.size() > 1) return withPath(msg::twoMembers(shown(found[0]), shown(found[1])), archive);
  return CensusFile{archive, *found[0], false};
}

}  // namespace

QString CensusFile::shown() const { return inArchive() ? path + u'/' + memberShownPath(member.path) : path; }

bool isArchiveLocation(const QString& location) {
  struct stat st {};
  return !location.isEmpty() && ::stat(toNativeBytes(location).constData(), &st) == 0 && !S_ISDIR(st.st_mode);
}

Result<CensusFile> findCensusFile(const QString& location, const QString& name) {
  if (isArchiveLocation(location)) return findInArchive(location, name);
  const QString plain = joined(location, name);
  const QString path = resolveCaseInsensitive(plain);
  if (fileExists(path)) return CensusFile{path, {}, false};
  for (const char* suffix : kCompressionSuffixes) {
    const QString compressed = resolveCaseInsensitive(plain + QLatin1String(suffix));
    if (fileExists(compressed)) return CensusFile{compressed, {}, true};
  }
  return CensusFile{plain, {}, false, true};
}

Result<std::unique_ptr<ByteSource>> openCensusFile(const CensusFile& file) {
  if (file.missing && isArchiveLocation(splitPathOf(file.path))) return withPath(msg::fileNotFound(), file.path);
  if (file.inArchive() || file.compressed) {
    auto source = openArchiveMember(file.path, file.member, file.compressed);
    if (!source) return withPath(source.failure(), file.shown());
    return source;
  }
  auto input = std::make_unique<InputFile>();
  if (auto failure = input->open(file.path)) return withPath(*failure, file.path);
  return std::unique_ptr<ByteSource>(std::move(input));
}

std::optional<Failure> forEachCensusEntry(const QString& location, const std::function<void(std::string_view name)>& f) {
  if (!isArchiveLocation(location)) {
    if (const int e = forEachName(location, [&](std::string_view name) { f(withoutCompressionSuffix(name)); }))
      return withPath(errnoFailure(e), location);
    return std::nullopt;
  }
  const Result<std::vector<ArchiveEntry>> entries = archiveMembers(location);
  if (!entries) return entries.failure();
  for (const ArchiveEntry& e : *entries)
    if (e.regular) f(lastPart(e.path));
  return std::nullopt;
}

}  // namespace h7
