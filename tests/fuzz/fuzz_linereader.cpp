// Lines of arbitrary bytes handed out in arbitrary pieces, by the line reader (item-name
// files) and by the chunk splitter and pipeline (census data files).
// - lines hold no CR, and with their ends (CR LF or CR; none after the last) put back
//   they give the input exactly;
// - the same lines whatever the block size and however the source cuts its reads;
// - with a limit on what is kept, each line is the head of the full line, same count;
// - chunks of whole lines, on any number of worker threads and over several files, give
//   the same lines in the same order (a line too long for a chunk keeps its head).
#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "extract/chunks.h"
#include "extract/linereader.h"
#include "fuzz_util.h"

namespace {

using Lines = std::vector<std::string>;

// Hands out the bytes in pieces whose sizes cycle through `steps` (0 means all that fits).
class PieceSource final : public h7::ByteSource {
 public:
  PieceSource(std::string_view bytes, std::vector<std::size_t> steps) : bytes_(bytes), steps_(std::move(steps)) {}
  std::ptrdiff_t read(char* buffer, std::size_t size) override {
    H7_FUZZ_CHECK(size > 0);
    std::size_t step = steps_.empty() ? 0 : steps_[turn_++ % steps_.size()];
    std::size_t n = std::min(size, bytes_.size() - at_);
    if (step > 0) n = std::min(n, step);
    std::memcpy(buffer, bytes_.data() + at_, n);
    at_ += n;
    return std::ptrdiff_t(n);
  }

 private:
  std::string_view bytes_;
  std::vector<std::size_t> steps_;
  std::size_t turn_ = 0;
  std::size_t at_ = 0;
};

Lines readLines(std::string_view bytes, std::vector<std::size_t> steps, std::size_t keep, std::size_t block) {
  PieceSource source(bytes, std::move(steps));
  h7::LineReader reader(source, keep, block);
  Lines lines;
  std::string_view line;
  while (reader.next(line)) {
    H7_FUZZ_CHECK(lines.size() <= bytes.size());  // every line but an unended last one takes a byte
    lines.emplace_back(line);
  }
  H7_FUZZ_CHECK(!reader.error());
  return lines;
}

// The lines of every part, in order, through the pipeline.
Lines pipelineLines(const std::vector<std::string_view>& parts, const std::vector<std::size_t>& steps, std::size_t keep,
                    std::size_t chunkBytes, int threads) {
  std::vector<PieceSource> sources;
  for (std::string_view p : parts) sources.emplace_back(p, steps);
  std::vector<h7::ByteSource*> pointers;
  for (PieceSource& s : sources) pointers.push_back(&s);
  Lines lines;
  auto process = [](h7::Chunk& c) {
    h7::forEachLine(c, [&](std::string_view line) {
      const std::uint32_t n = std::uint32_t(line.size());
      c.out.append(reinterpret_cast<const char*>(&n), sizeof n);
      c.out.append(line);
      ++c.lines;
      return true;
    });
  };
  auto collect = [&](const h7::Chunk& c) -> std::optional<QString> {
    std::string_view out = c.out.view();
    while (!out.empty()) {
      std::uint32_t n;
      std::memcpy(&n, out.data(), sizeof n);
      lines.emplace_back(out.substr(sizeof n, n));
      out.remove_prefix(sizeof n + n);
    }
    return std::nullopt;
  };
  const h7::PipelineResult r = h7::runPipeline(pointers, keep, chunkBytes, threads, process, collect, {});
  H7_FUZZ_CHECK(!r.failure);
  H7_FUZZ_CHECK(r.lines == (long long)lines.size());
  return lines;
}

// Puts the line ends back and compares with the input.
void checkEnds(std::string_view bytes, const Lines& lines) {
  std::size_t at = 0;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    const std::string& l = lines[i];
    H7_FUZZ_CHECK(l.find('\r') == std::string::npos);
    H7_FUZZ_CHECK(bytes.substr(at, l.size()) == l);
    at += l.size();
    if (at == bytes.size()) {
      H7_FUZZ_CHECK(i + 1 == lines.size());  // the last line, without an end
      break;
    }
    H7_FUZZ_CHECK(bytes[at] == '\r');
    ++at;
    if (at < bytes.size() && bytes[at] == '\n') ++at;
  }
  H7_FUZZ_CHECK(at == bytes.size());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  h7fuzz::Input in(data, size);
  const std::size_t block = 16 + in.byte() % 64;
  const std::size_t keep = in.byte() % 48;
  std::vector<std::size_t> steps(1 + in.byte() % 4);
  for (std::size_t& s : steps) s = in.byte() % 40;
  const std::size_t chunkBytes = in.byte() % 80;  // raised to keep + 2 by the splitter
  const int threads = in.byte() % 3;
  std::size_t cuts[2] = {in.byte(), in.byte()};
  const std::string_view bytes = in.rest();

  const std::size_t wholeBlock = 4096;  // larger than any input here: lines seen in one piece
  const Lines lines = readLines(bytes, {}, h7::LineReader::kKeepAll, wholeBlock);
  checkEnds(bytes, lines);
  H7_FUZZ_CHECK(readLines(bytes, steps, h7::LineReader::kKeepAll, block) == lines);
  H7_FUZZ_CHECK(readLines(bytes, {1}, h7::LineReader::kKeepAll, 16) == lines);

  const Lines heads = readLines(bytes, steps, keep, block);
  H7_FUZZ_CHECK(heads.size() == lines.size());
  for (std::size_t i = 0; i < lines.size(); ++i) H7_FUZZ_CHECK(heads[i] == lines[i].substr(0, keep));

  // The input cut into up to three files.
  for (std::size_t& c : cuts) c = c * bytes.size() / 255;
  std::sort(std::begin(cuts), std::end(cuts));
  const std::vector<std::string_view> parts = {bytes.substr(0, cuts[0]), bytes.substr(cuts[0], cuts[1] - cuts[0]),
                                               bytes.substr(cuts[1])};
  Lines whole;
  for (std::string_view p : parts) {
    Lines l = readLines(p, {}, h7::LineReader::kKeepAll, wholeBlock);
    whole.insert(whole.end(), l.begin(), l.end());
  }
  // The run keeps at least the codes of a record; a head of nothing would be no line at all.
  const std::size_t chunkKeep = std::max<std::size_t>(keep, 1);
  const Lines chunked = pipelineLines(parts, steps, chunkKeep, chunkBytes, threads);
  H7_FUZZ_CHECK(chunked.size() == whole.size());
  for (std::size_t i = 0; i < whole.size(); ++i)
    H7_FUZZ_CHECK(chunked[i] == whole[i] ||
                  (chunked[i].size() == chunkKeep && chunked[i] == whole[i].substr(0, chunkKeep)));
  return 0;
}
