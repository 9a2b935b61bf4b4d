#include "extract/archive.h"

#include <QStringDecoder>
#include <algorithm>
#include <cerrno>
#include <clocale>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "core/command_line.h"
#include "extract/archive_library.h"

namespace h7 {

namespace {

constexpr std::size_t kArchiveBlock = 1 << 20;  // bytes libarchive reads from the file at a time
constexpr std::size_t kProbeBytes = 128 << 10;  // the most startsAsArchive reads of a file
constexpr std::size_t kProbeBlock = 8 << 10;    // ... and at a time

// One libarchive read handle over an archive's descriptor; freed with it.
struct ReadHandle {
  const ArchiveCalls* calls = nullptr;
  archive* a = nullptr;
  InputFile file;
  ~ReadHandle() {
    if (a) calls->archive_read_free(a);
  }
  Failure failure() const {
    const char* why = a ? calls->archive_error_string(a) : nullptr;
    return msg::archiveUnreadable(why ? QString::fromLocal8Bit(why).trimmed() : QStringLiteral("?"));
  }
};

// The formats census files come in; not libarchive's others (a text file can pass for an mtree list).
void supportCensusFormats(const ArchiveCalls& calls, archive* a) {
  for (auto format : {calls.archive_read_support_format_zip, calls.archive_read_support_format_lha,
                      calls.archive_read_support_format_tar, calls.archive_read_support_format_7zip})
    format(a);
}

std::optional<Failure> openHandle(const QString& path, bool compressedFile, ReadHandle& h) {
  QString why;
  h.calls = archiveLibrary(&why);
  if (!h.calls) return msg::archiveLibraryMissing(why);
  if (auto failure = h.file.open(path)) return failure;
  if (h.file.size() < 0) return msg::notAnArchive();  // a pipe or device cannot be read again per member
  h.a = h.calls->archive_read_new();
  if (!h.a) return errnoFailure(ENOMEM);
  h.calls->archive_read_support_filter_all(h.a);
  if (compressedFile) h.calls->archive_read_support_format_raw(h.a);
  else supportCensusFormats(*h.calls, h.a), h.calls->archive_read_support_format_empty(h.a);
  if (h.calls->archive_read_open_fd(h.a, h.file.descriptor(), kArchiveBlock) != ARCHIVE_OK)
    return h.calls->archive_errno(h.a) == EILSEQ ? msg::notAnArchive() : h.failure();  // EILSEQ: no format it knows
  return std::nullopt;
}

// The header of entry `index`; false at the end, or with `failure` set. A first header of no
// format libarchive knows: the file is no archive.
bool nextEntry(ReadHandle& h, int index, archive_entry*& entry, std::optional<Failure>& failure) {
  const int rc = h.calls->archive_read_next_header(h.a, &entry);
  if (rc == ARCHIVE_EOF) return false;
  if (rc < ARCHIVE_WARN) {
    const bool unknown = index == 0 && h.calls->archive_errno(h.a) == EILSEQ;
    failure = unknown ? msg::notAnArchive() : h.failure();
    return false;
  }
  return true;
}

std::string pathOf(const ArchiveCalls& calls, archive_entry* entry) {
  const char* path = calls.archive_entry_pathname(entry);  // the bytes as stored
  if (!path) path = calls.archive_entry_pathname_utf8(entry);
  return path ? path : "";
}

class ArchiveMember final : public ByteSource {
 public:
  ArchiveMember(std::unique_ptr<ReadHandle> handle, long long recorded)
      : h_(std::move(handle)), recorded_(recorded) {}
  std::ptrdiff_t readAt(long long offset, char* buffer, std::size_t size) override {
    return head_.readAt(offset, buffer, size, [this](char* into, std::size_t want) { return readOn(into, want); });
  }
  Failure readFailure() const override { return failure_; }
  bool changedSinceOpened() const override { return h_->file.changedSinceOpened(); }
  long long storedSize() const override { return h_->file.size(); }
  long long storedBytesAt(long long) const override {
    return done_ ? storedSize() : std::clamp<long long>(h_->calls->archive_filter_bytes(h_->a, -1), 0, storedSize());
  }

 private:
  std::ptrdiff_t readOn(char* into, std::size_t want) {
    if (done_) return 0;
    const la_ssize_t n = h_->calls->archive_read_data(h_->a, into, want);
    if (n < 0) return failure_ = h_->failure(), -1;
    if (n == 0 && recorded_ >= 0 && read_ != recorded_) return failure_ = msg::memberSizeDiffers(read_, recorded_), -1;
    read_ += n;
    done_ = n == 0;
    return n;
  }

  std::unique_ptr<ReadHandle> h_;
  ReplayedHead head_;
  const long long recorded_;
  long long read_ = 0;
  bool done_ = false;
  Failure failure_ = msg::deviceError();
};

// Member names in UTF-8 on this thread whatever the program's locale: libarchive converts a
// name it knows to be UTF-8 (a zip's UTF-8 flag) into the locale's charset, and drops it
// where it cannot (the C locale). Bytes of names in no known charset pass as they are.
class Utf8Names {
 public:
  Utf8Names() : utf8_(::newlocale(LC_CTYPE_MASK, "C.UTF-8", nullptr)), old_(utf8_ ? ::uselocale(utf8_) : nullptr) {}
  ~Utf8Names() {
    if (utf8_) ::uselocale(old_), ::freelocale(utf8_);
  }
  Utf8Names(const Utf8Names&) = delete;
  Utf8Names& operator=(const Utf8Names&) = delete;

 private:
  locale_t utf8_;
  locale_t old_;
};

}  // namespace

Result<std::vector<ArchiveEntry>> listArchive(const QString& path) {
  const Utf8Names names;  // before the handle, which converts with it
  ReadHandle h;
  if (auto failure = openHandle(path, false, h)) return withPath(*failure, path);
  std::vector<ArchiveEntry> entries;
  archive_entry* entry = nullptr;
  std::optional<Failure> failure;
  while (nextEntry(h, int(entries.size()), entry, failure)) {
    ArchiveEntry& e = entries.emplace_back();
    e.path = pathOf(*h.calls, entry);
    e.index = int(entries.size()) - 1;
    e.folder = h.calls->archive_entry_filetype(entry) == AE_IFDIR;
    e.regular = h.calls->archive_entry_filetype(entry) == AE_IFREG;
    e.size = h.calls->archive_entry_size_is_set(entry) ? h.calls->archive_entry_size(entry) : -1;
    if (h.calls->archive_read_data_skip(h.a) < ARCHIVE_WARN) return withPath(h.failure(), path + u'/' + memberShownPath(e.path));
  }
  if (entries.empty() && !failure && h.calls->archive_format(h.a) == ARCHIVE_FORMAT_EMPTY) failure = msg::notAnArchive();
  if (failure) return withPath(*failure, path);
  return entries;
}

// The file's start handed to libarchive in small blocks, with no way to seek: bidders and the
// first header read what they need of it, and the end of the budget is the end of the file.
bool startsAsArchive(const QString& path) {
  struct Start {
    int fd = -1;
    std::size_t left = kProbeBytes;
    char block[kProbeBlock];
    ~Start() {
      if (fd >= 0) ::close(fd);
    }
  };
  const ArchiveCalls* calls = archiveLibrary();
  if (!calls) return false;
  auto start = std::make_unique<Start>();
  start->fd = ::open(toNativeBytes(path).constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
  struct stat st {};
  if (start->fd < 0 || ::fstat(start->fd, &st) != 0 || !S_ISREG(st.st_mode)) return false;
  const auto read = [](archive*, void* data, const void** buffer) -> la_ssize_t {
    auto* s = static_cast<Start*>(data);
    const ssize_t n = ::read(s->fd, s->block, std::min(s->left, sizeof s->block));
    if (n > 0) s->left -= std::size_t(n);
    *buffer = s->block;
    return n;
  };
  archive* a = calls->archive_read_new();
  if (!a) return false;
  // Not every filter: the uuencode one alone would read the budget of any text.
  for (auto filter : {calls->archive_read_support_filter_gzip, calls->archive_read_support_filter_bzip2,
                      calls->archive_read_support_filter_xz, calls->archive_read_support_filter_zstd})
    filter(a);
  supportCensusFormats(*calls, a);
  archive_entry* entry = nullptr;
  // A header past the budget (7z keeps its own at the end) fails to read: still an archive.
  const bool known = calls->archive_read_open(a, start.get(), nullptr, read, nullptr) == ARCHIVE_OK &&
                     calls->archive_read_next_header(a, &entry) != ARCHIVE_EOF;
  calls->archive_read_free(a);
  return known;
}

QString memberShownPath(const std::string& member) {
  QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
  const QString shown = utf8(QByteArrayView(member.data(), qsizetype(member.size())));
  if (!utf8.hasError()) return shown;
  QStringDecoder cp932("Shift_JIS", QStringDecoder::Flag::Stateless);
  return cp932(QByteArrayView(member.data(), qsizetype(member.size())));
}

Result<std::unique_ptr<ByteSource>> openArchiveMember(const QString& path, const ArchiveEntry& wanted,
                                                      bool compressedFile) {
  const Utf8Names names;
  auto h = std::make_unique<ReadHandle>();
  if (auto failure = openHandle(path, compressedFile, *h)) return *failure;
  archive_entry* entry = nullptr;
  std::optional<Failure> failure;
  for (int index = 0; nextEntry(*h, index, entry, failure); ++index) {
    if (index < wanted.index) {
      if (h->calls->archive_read_data_skip(h->a) < ARCHIVE_WARN) return h->failure();
      continue;
    }
    if (compressedFile && h->calls->archive_filter_code(h->a, 0) == ARCHIVE_FILTER_NONE)
      return msg::archiveUnreadable(QStringLiteral("not compressed"));
    if (!compressedFile && pathOf(*h->calls, entry) != wanted.path) break;  // the archive changed since it was listed
    if (h->calls->archive_entry_is_encrypted(entry)) return msg::encryptedMember();
    const long long recorded = h->calls->archive_entry_size_is_set(entry) ? h->calls->archive_entry_size(entry) : -1;
    return std::unique_ptr<ByteSource>(std::make_unique<ArchiveMember>(std::move(h), recorded));
  }
  return failure ? *failure : msg::changedWhileRead();
}

}  // namespace h7
