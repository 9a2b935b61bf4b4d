// libarchive, loaded when an archive is read or written: a run from a folder maps none of
// its libraries. The calls are libarchive's own, through pointers of the same type.
#pragma once

#include <archive.h>
#include <archive_entry.h>

#include <QString>

namespace h7 {

#define H7_ARCHIVE_CALLS(X)                                                                                        \
  X(archive_read_new) X(archive_read_support_filter_all) X(archive_read_support_format_zip) X(archive_read_support_format_lha) X(archive_read_support_format_tar) X(archive_read_support_format_7zip)                       \
  X(archive_read_support_format_raw) X(archive_read_support_format_empty) X(archive_read_open_fd)                 \
  X(archive_read_support_filter_gzip) X(archive_read_support_filter_bzip2)                                         \
  X(archive_read_support_filter_xz) X(archive_read_support_filter_zstd) X(archive_read_open)                     \
  X(archive_read_next_header) X(archive_read_data) X(archive_read_data_skip) X(archive_read_free)               \
  X(archive_read_has_encrypted_entries) X(archive_error_string) X(archive_errno) X(archive_format)               \
  X(archive_filter_count) X(archive_filter_code) X(archive_filter_bytes) X(archive_entry_pathname) X(archive_entry_pathname_utf8)               \
  X(archive_entry_filetype) X(archive_entry_size) X(archive_entry_size_is_set) X(archive_entry_is_encrypted)     \
  X(archive_write_new) X(archive_write_set_format_zip) X(archive_write_set_format_pax_restricted)                \
  X(archive_write_add_filter_gzip) X(archive_write_set_options) X(archive_write_set_bytes_in_last_block)          \
  X(archive_write_open) X(archive_write_header) X(archive_write_data) X(archive_write_close) X(archive_write_free) \
  X(archive_entry_new) X(archive_entry_free) X(archive_entry_set_pathname) X(archive_entry_set_size)              \
  X(archive_entry_set_filetype) X(archive_entry_set_perm) X(archive_entry_set_mtime) X(archive_entry_mtime)     \
  X(archive_entry_perm)

struct ArchiveCalls {
#define H7_ARCHIVE_POINTER(name) decltype(&::name) name = nullptr;
  H7_ARCHIVE_CALLS(H7_ARCHIVE_POINTER)
#undef H7_ARCHIVE_POINTER
};

// The library's calls, loaded on the first use; nullptr when it cannot be loaded, and then
// `why` (when given) says what the loader said.
const ArchiveCalls* archiveLibrary(QString* why = nullptr);

}  // namespace h7
