// Archives packed by the tests themselves, through libarchive. A step that fails fails the
// test: through GoogleTest, or the H7_PACK_CHECK(ok, what) a suite defines before the include.
#pragma once

#include <archive.h>
#include <archive_entry.h>
#include <clocale>
#include <cstring>
#include <string>
#include <vector>

#include <QFile>
#ifndef H7_PACK_CHECK
#include <gtest/gtest.h>
#define H7_PACK_CHECK(ok, what) ASSERT_TRUE(ok) << (what)
#endif

namespace h7test {

struct Member {
  std::string path;
  std::string bytes;
  std::size_t times = 1;  // the bytes written this many times over
};

// Writes an archive of libarchive's `format` through `filter`; `utf8Names` sets the zip's
// UTF-8 name flag (which libarchive sets in a UTF-8 locale).
inline void pack(const QString& path, const char* format, const char* filter, const std::vector<Member>& members,
          const char* options = "", bool utf8Names = false) {
  const std::string old = std::setlocale(LC_CTYPE, nullptr);
  std::setlocale(LC_CTYPE, utf8Names ? "C.UTF-8" : "C");
  archive* a = archive_write_new();
  H7_PACK_CHECK(archive_write_set_format_by_name(a, format) == ARCHIVE_OK, format);
  H7_PACK_CHECK(!std::strcmp(filter, "none") || archive_write_add_filter_by_name(a, filter) == ARCHIVE_OK, filter);
  H7_PACK_CHECK(archive_write_set_options(a, options) == ARCHIVE_OK, archive_error_string(a));
  if (std::strstr(options, "encryption")) archive_write_set_passphrase(a, "secret");
  H7_PACK_CHECK(archive_write_open_filename(a, QFile::encodeName(path).constData()) == ARCHIVE_OK, archive_error_string(a));
  for (const Member& m : members) {
    archive_entry* e = archive_entry_new();
    archive_entry_set_pathname(e, m.path.c_str());
    archive_entry_set_size(e, la_int64_t(m.bytes.size() * m.times));
    archive_entry_set_filetype(e, AE_IFREG), archive_entry_set_perm(e, 0644);
    H7_PACK_CHECK(archive_write_header(a, e) == ARCHIVE_OK, archive_error_string(a));
    for (std::size_t i = 0; i < m.times; ++i) H7_PACK_CHECK(archive_write_data(a, m.bytes.data(), m.bytes.size()) == la_ssize_t(m.bytes.size()), "data");
    archive_entry_free(e);
  }
  archive_write_free(a);
  std::setlocale(LC_CTYPE, old.c_str());
}

}  // namespace h7test
