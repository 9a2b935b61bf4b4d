// The whole run on arbitrary census data and item-name bytes with a few option bits: it
// ends, completed or with a failure, without a crash and without memory growing with
// the output (libFuzzer's -rss_limit_mb stops a run that holds what it writes).
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "extract/run.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static QTemporaryDir dir(QDir::tempPath() + QStringLiteral("/h7fuzz-XXXXXX"));
  const std::uint8_t *p = data, *end = data + size;
  auto byte = [&] { return p < end ? *p++ : 0; };  // decisions taken off the front, 0 once used up
  const unsigned bits = byte() | byte() << 8;
  const std::size_t namesSize = std::min<std::size_t>(std::size_t(byte() | byte() << 8), std::size_t(end - p));
  auto write = [&](const char* name, const std::uint8_t* from, std::size_t n) {
    QFile f(dir.filePath(QString::fromLatin1(name)));
    if (!f.open(QIODevice::WriteOnly)) std::abort();
    f.write(reinterpret_cast<const char*>(from), qint64(n));
  };
  write("NAMEH7S1.CCC", p, namesSize);
  p += namesSize;
  write("H7S13S1.DAT", p, std::size_t(end - p));

  h7::RunInputs in{.inputFolder = dir.path(), .outputFile = QStringLiteral("/dev/null"), .prefectures = {"13"},
                   .nameFolders = {dir.path()}};
  in.numerify = bits & 1;
  in.key = bits & 2;
  in.longForm = bits & 4;
  in.utf8 = bits & 8;
  in.stats = bits & 16;
  in.threads = bits & 32 ? 2 : 0;
  in.chunkBytes = bits & 64 ? 4096 : std::size_t(2) << 20;
  in.municipalityFilter = bits & 128;
  in.municipalities = {{100, double(100 + (bits >> 8))}};
  const int first = 1 + int(bits >> 9) % 1361;
  in.itemSets = {{double(first), double(bits & 256 ? 1361 : first), 0}, {1, 3, 0}};
  const h7::RunResult r = h7::runExtraction(in);
  if (r.end == h7::RunEnd::Failed && !r.failure) std::abort();
  return 0;
}
