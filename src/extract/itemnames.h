// Item-name files: one name per line, line k naming item position k.
#pragma once

#include <QString>
#include <optional>
#include <string>
#include <vector>

#include "extract/linereader.h"

namespace h7 {

constexpr int kNameSlots = 1401;  // slots 0..1400; slot 0 stays empty

// Slot k holds line k exactly as read (Shift-JIS bytes, without the line end).
struct NameTable {
  std::vector<std::string> lines = std::vector<std::string>(kNameSlots);
  int count = 0;  // lines read
};

// A name line longer than this is no name: the file is something else (bounded memory).
constexpr std::size_t kMaxNameBytes = 4096;
inline QString nameTooLong() { return QStringLiteral("項目名称が長すぎます。"); }

// A reader for an item-name file: keeps one byte more than a name may have.
inline LineReader nameReader(ByteSource& file) { return LineReader(file, kMaxNameBytes + 1, 64 * 1024); }

// Reads every line into the table; a 1401st line, a line longer than kMaxNameBytes or a
// read failure gives the description.
std::optional<QString> readNameTable(LineReader& lines, NameTable& table);

// Opens and reads the item-name file at `path` (with the case-insensitive fallback).
std::optional<QString> readNameFile(const QString& path, NameTable& table);

}  // namespace h7
