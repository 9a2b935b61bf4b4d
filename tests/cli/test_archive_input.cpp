// h7extract reading census files straight from archives: the same bytes as from the unpacked
// files, members found by their census names in any folder, and bad archives failing with the
// archive and the member named, the old output kept.
#include "support/archive_pack.h"
#include "cli_run.h"

namespace {

using h7test::Member;
using h7test::pack;
using h7test::Ran;
using h7test::run;

// Sets a field of a zip member's local and central headers (offsets from each signature).
std::string patchZip(std::string zip, const std::string& member, int localAt, int centralAt, std::uint32_t value, int width) {
  for (const auto& [signature, at, nameAt] : {std::tuple{"PK\x03\x04", localAt, 30}, std::tuple{"PK\x01\x02", centralAt, 46}})
    for (std::size_t p = zip.find(signature); p != std::string::npos; p = zip.find(signature, p + 4))
      if (zip.compare(p + std::size_t(nameAt), member.size(), member) == 0)
        for (int i = 0; i < width; ++i) zip[p + std::size_t(at + i)] = char(value >> (8 * i));
  return zip;
}

class ArchiveInput : public h7test::H7ExtractTest {
 protected:
  void SetUp() override {
    ASSERT_EQ(run("h7sample", {"--names", "--data", "--out", dir.file("plain"), "--pref", "13,14", "--group", "1", "--records", "150"}).status, 0);
    for (const char* name : {"H7S13S1.DAT", "H7S14S1.DAT", "NAMEH7S1.CCC"}) files[name] = dir.bytes(QString("plain/") + name);
    expected = extract(dir.file("plain"));
    ASSERT_EQ(expected.status, 0) << expected.err.toStdString();
    expected.out = QByteArray::fromStdString(dir.bytes("out.csv"));
  }
  // A run of every prefecture there (13 and 14) with the item names from the same place, in
  // the C locale (where libarchive cannot convert UTF-8 names to the locale's charset).
  Ran extract(const QString& location) {
    return run("h7extract", {"--input", location, "--names", location, "--output", dir.file("out.csv"), "--pref", "all",
                             "--group", "1", "--items", "1-30,1300-1361", "--numerify", "--quiet"}, {}, {"LC_ALL=C"});
  }
  // The files as members in `folder`, and one more.
  std::vector<Member> members(const std::string& folder = "", bool lower = false, std::vector<Member> more = {}) {
    for (const auto& [name, bytes] : files) more.push_back({folder + (lower ? QString(name.c_str()).toLower().toStdString() : name), bytes});
    return more;
  }
  std::map<std::string, std::string> files;
  Ran expected;
};

TEST_F(ArchiveInput, SameBytesAsTheUnpackedFiles) {
  const std::string cp932Folder = h7test::sjis("国勢調査") + "/";
  const struct {
    const char* what;
    const char* format;
    const char* filter;
    std::vector<Member> members;
    bool utf8Names = false;
  } cases[] = {
      {"zip", "zip", "none", members()},
      {"zip, CP932 folder, lower-case names", "zip", "none", members(cp932Folder, true)},
      {"zip, UTF-8 flag and folder", "zip", "none", members("データ/2/"), true},
      {"zip, the exact name before another case", "zip", "none", members("a/", false, {{"b/h7s13s1.dat", "other"}})},
      {"tar.gz", "gnutar", "gzip", members("census/")},
      {"tar.xz", "pax", "xz", members()},
      {"7z", "7zip", "none", members("h7/")},
  };
  const auto same = [&](const QString& location, const std::string& bytes, const char* what) {
    dir.write("out.csv", "old");
    const Ran r = extract(location);
    EXPECT_TRUE(r.status == 0 && dir.bytes("out.csv") == bytes) << what << ": " << r.err.toStdString();
  };
  for (const auto& c : cases) {
    pack(dir.file(QString("data-") + c.what), c.format, c.filter, c.members, "", c.utf8Names);
    same(dir.file(QString("data-") + c.what), expected.out.toStdString(), c.what);
  }
  // Files compressed on their own in a folder, read when the plain files are absent.
  QDir().mkpath(dir.file("packed"));
  const char* filters[][2] = {{"gzip", ".gz"}, {"bzip2", ".bz2"}, {"xz", ".xz"}};
  for (int i = 0; const auto& [name, bytes] : files) pack(dir.file(QString("packed/") + name.c_str() + filters[i][1]), "raw", filters[i][0], {{"data", bytes}}), ++i;
  same(dir.file("packed"), expected.out.toStdString(), "compressed files");
  // LZH (lh5, header level 2), which libarchive does not write: jlha's archive of h7sample's files
  // (tests/fixtures/h7sample-lh5.txt), one in a sub-folder.
  ASSERT_EQ(run("h7sample", QString("--names --data --out " + dir.file("small") + " --pref 13,14 --group 1 --records 2").split(' ')).status, 0);
  ASSERT_EQ(extract(dir.file("small")).status, 0);
  same(QStringLiteral(H7_FIXTURES "/h7sample-lh5.lzh"), dir.bytes("out.csv"), "lzh");
}

TEST_F(ArchiveInput, BadArchivesFailAndKeepTheOutput) {
  pack(dir.file("good.zip"), "zip", "none", members());
  const std::string zip = dir.bytes("good.zip");
  const std::string member = "H7S13S1.DAT";
  const std::size_t data = zip.find(member) + member.size();  // the member's compressed bytes follow its name
  std::string corrupt = zip;
  for (std::size_t i = data + 5000; i < data + 5400; ++i) corrupt[i] = char(~corrupt[i]);
  pack(dir.file("encrypted.zip"), "zip", "none", members(), "zip:encryption=zipcrypt");
  pack(dir.file("two.zip"), "zip", "none", members("a/", false, {{"b/" + member, "x"}}));
  const struct {
    const char* what;
    std::string bytes;  // of the archive
    const char* says;
    bool namesMember = true;
  } cases[] = {
      {"not an archive", files["H7S13S1.DAT"], "フォルダでもアーカイブでもありません", false},
      {"empty file", "", "フォルダでもアーカイブでもありません", false},
      {"a text file", "root:x:0:0:root:/root:/bin/sh\n", "フォルダでもアーカイブでもありません", false},
      {"truncated", zip.substr(0, data + 20000), "アーカイブを読めません"},
      {"corrupt data", corrupt, "アーカイブを読めません"},
      {"checksum", patchZip(zip, member, 14, 16, 0x12345678, 4), "アーカイブを読めません"},
      {"unsupported method", patchZip(zip, member, 8, 10, 99, 2), "アーカイブを読めません"},
      {"size differs", patchZip(zip, member, 22, 24, std::uint32_t(files[member].size() + 10), 4), "wrong size"},
      {"encrypted", dir.bytes("encrypted.zip"), "暗号化されたメンバーは読めません"},
      {"two matching members", dir.bytes("two.zip"), "メンバーが2つあります"},
  };
  for (const auto& c : cases) {
    const QString archive = dir.file(QString("bad-") + c.what);
    dir.write(QString("bad-") + c.what, c.bytes);
    dir.write("out.csv", "old");
    const Ran r = extract(archive);
    EXPECT_EQ(std::pair(r.status, dir.bytes("out.csv")), std::pair(1, std::string("old"))) << c.what;
    EXPECT_TRUE(r.err.contains(c.says) && r.err.contains(archive) && (!c.namesMember || r.err.contains(member.c_str())))
        << c.what << ": " << r.err.toStdString();
  }
}

}  // namespace
