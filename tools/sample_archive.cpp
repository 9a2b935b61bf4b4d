#include "sample_archive.h"

#include <QDir>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <memory>

#include "extract/archive_library.h"

namespace {

namespace text = h7::msg::sample;

constexpr time_t kMemberTime = 812505600;  // 1995-10-01 00:00 UTC, the time of every member

// libarchive's output appended to the archive's writer; an error once that failed or found
// other bytes, which stops libarchive.
la_ssize_t put(archive*, void* writer, const void* data, size_t size) {
  BlockWriter& out = *static_cast<BlockWriter*>(writer);
  out.append(static_cast<const char*>(data), size);
  return out.ok() ? la_ssize_t(size) : -1;
}

}  // namespace

h7::Result<Outcome> writeArchive(const QString& path, ArchiveFormat format, const std::vector<SampleFile>& files, bool compare) {
  const h7::ArchiveCalls& la = *h7::archiveLibrary();  // loaded: h7sample checks it first
  // A zip's DOS times are local times: UTC, so that every machine writes the same bytes.
  ::setenv("TZ", "UTC0", 1);
  ::tzset();
  const QString shown = QDir::toNativeSeparators(path);
  BlockWriter out(path, compare);  // before the archive, which writes into it until freed
  const auto freeArchive = [&la](archive* a) { la.archive_write_free(a); };
  const std::unique_ptr<archive, decltype(freeArchive)> a(la.archive_write_new(), freeArchive);
  const auto failed = [&]() -> h7::Failure {
    if (out.failure()) return *out.failure();
    if (!out.ok()) return text::otherBytes(shown);
    return text::archiveNotWritten(shown, QString::fromLocal8Bit(la.archive_error_string(a.get())));
  };
  const bool zip = format == ArchiveFormat::Zip;
  if ((zip ? la.archive_write_set_format_zip(a.get()) : la.archive_write_set_format_pax_restricted(a.get())) != ARCHIVE_OK ||
      (!zip && la.archive_write_add_filter_gzip(a.get()) != ARCHIVE_OK) ||
      la.archive_write_set_options(a.get(), zip ? "zip:compression=deflate" : "gzip:!timestamp") != ARCHIVE_OK ||
      la.archive_write_set_bytes_in_last_block(a.get(), 1) != ARCHIVE_OK ||
      la.archive_write_open(a.get(), &out, nullptr, put, nullptr) != ARCHIVE_OK)
    return failed();

  QStringList lines;
  for (const SampleFile& file : files) {
    BlockWriter measured{QString(), false};  // made once to learn its size, which its header holds
    if (auto failure = file.make(measured)) return *failure;
    const qint64 size = measured.bytesWritten();
    const auto freeEntry = [&la](archive_entry* e) { la.archive_entry_free(e); };
    const std::unique_ptr<archive_entry, decltype(freeEntry)> entry(la.archive_entry_new(), freeEntry);
    la.archive_entry_set_pathname(entry.get(), file.name.toUtf8().constData());
    la.archive_entry_set_size(entry.get(), size);
    la.archive_entry_set_filetype(entry.get(), AE_IFREG);
    la.archive_entry_set_perm(entry.get(), 0644);
    la.archive_entry_set_mtime(entry.get(), kMemberTime, 0);
    if (la.archive_write_header(a.get(), entry.get()) != ARCHIVE_OK) return failed();

    BlockWriter member([&](const char* data, std::size_t n) -> std::optional<h7::Failure> {
      while (n > 0) {
        const la_ssize_t taken = la.archive_write_data(a.get(), data, n);
        if (taken <= 0) return failed();
        data += taken, n -= std::size_t(taken);
      }
      return std::nullopt;
    });
    if (auto failure = file.make(member)) return *failure;
    if (const h7::Result<Outcome> packed = member.close(); !packed) return packed;
    lines << file.line(shown + u'/' + file.name, size);
  }
  if (la.archive_write_close(a.get()) != ARCHIVE_OK) return failed();
  const qint64 bytes = out.bytesWritten();
  const h7::Result<Outcome> outcome = out.close();
  if (outcome) {
    for (const QString& line : lines) std::printf("%s\n", qPrintable(line));
    std::printf("%s\n", qPrintable(text::madeArchive(shown, files.size(), bytes)));
  }
  return outcome;
}
