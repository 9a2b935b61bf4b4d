// h7sample's archives, read back with libarchive: exactly the loose files' bytes, the same
// bytes for the same command. Its demonstration boundaries, read back with GDAL: the same
// command gives the same bytes; the Shapefile's CP932 DBF reads back as written; split areas
// are two features whose union is the square and its island, and no two areas overlap.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <map>
#include <tuple>
#include <vector>

#include "cli/cli_run.h"
#include "core/messages.h"
#include "extract/archive_library.h"
#include "support/testutil.h"
#ifdef H7_MAP
#include <gdal_priv.h>
#include <ogrsf_frmts.h>
#endif

namespace {

// Exit status and stderr of h7sample.
std::pair<int, QString> sample(const QStringList& args) {
  const h7test::Ran r = h7test::run("h7sample", args);
  return {r.status, r.err};
}

using Member = std::tuple<std::string, std::string, long long, int>;  // name, bytes, time, permissions

// An archive's members in order, read through libarchive.
std::vector<Member> members(const QString& path) {
  const h7::ArchiveCalls& la = *h7::archiveLibrary();
  QFile file(path);
  EXPECT_TRUE(file.open(QIODevice::ReadOnly));
  archive* a = la.archive_read_new();
  la.archive_read_support_filter_all(a), la.archive_read_support_format_zip(a), la.archive_read_support_format_tar(a);
  EXPECT_EQ(la.archive_read_open_fd(a, file.handle(), 1 << 16), ARCHIVE_OK);
  std::vector<Member> list;
  for (archive_entry* e; la.archive_read_next_header(a, &e) == ARCHIVE_OK;) {
    Member& m = list.emplace_back(la.archive_entry_pathname(e), "", la.archive_entry_mtime(e), int(la.archive_entry_perm(e)));
    char block[1 << 16];
    for (la_ssize_t n; (n = la.archive_read_data(a, block, sizeof block)) > 0;) std::get<1>(m).append(block, std::size_t(n));
  }
  la.archive_read_free(a);
  return list;
}

// --archive packs the loose files' bytes at its top level under their names, with a fixed
// time and permissions; the same bytes in any time zone (a zip's times are local), no time in
// the gzip header; a file of other bytes kept.
TEST(H7Sample, Archives) {
  h7test::ScratchDir dir;
  const QStringList args = {"--names", "--data", "--pref", "13,14", "--group", "3", "--records", "5"};
  ASSERT_EQ(sample(args + QStringList{"--out", dir.file("loose")}).first, 0);
  std::vector<Member> loose;
  for (const char* name : {"NAMEH7S1.CCC", "NAMEH7S2.CCC", "NAMEH7S3.CCC", "H7S13S3.DAT", "H7S14S3.DAT"})
    loose.emplace_back(name, dir.bytes(QStringLiteral("loose/") + name), 812505600, 0644);
  for (const QString format : {"zip", "tgz"}) {
    SCOPED_TRACE(format.toStdString());
    const QStringList packed = args + QStringList{"--archive", format, "--out"};
    ASSERT_EQ(sample(packed + QStringList{dir.file("a." + format)}).first, 0);
    ASSERT_EQ(h7test::run("h7sample", packed + QStringList{dir.file("b." + format)}, {}, {"TZ=JST-9"}).status, 0);
    EXPECT_EQ(dir.bytes("a." + format), dir.bytes("b." + format));
    EXPECT_EQ(members(dir.file("a." + format)), loose);
    if (format == "tgz") {
      EXPECT_EQ(dir.bytes("a.tgz").substr(4, 4), std::string(4, '\0'));
    }
    dir.write("c." + format, "other");  // kept: the writer of loose files refuses alike
    EXPECT_EQ(std::pair(sample(packed + QStringList{dir.file("c." + format)}).first, dir.bytes("c." + format)), std::pair(1, std::string("other")));
  }
}

#ifdef H7_MAP
TEST(H7Sample, Boundaries) {
  h7test::ScratchDir dir;
  GDALAllRegister();
  const int records = 100;  // a grid of 10 x 10 cells of 0.16 degrees: squares 0.144 wide, islands 0.0096 x 0.032
  const double cell = 0.16;
  const struct {
    const char* format;
    int split;
    int epsg;
    OGRwkbGeometryType type;
  } cases[] = {{"gpkg", 0, 6668, wkbPolygon}, {"gpkg", 50, 6668, wkbMultiPolygon}, {"shp", 0, 4612, wkbPolygon}, {"shp", 50, 4612, wkbPolygon}};
  for (const auto& c : cases) {
    const QString name = QStringLiteral("%1-%2").arg(c.format).arg(c.split), file = QStringLiteral("/boundaries.") + c.format;
    SCOPED_TRACE(name.toStdString());
    for (const char* copy : {"/a", "/b"}) {
      const QStringList args = {"--data", "--boundaries", "--boundaries-format", c.format, "--boundaries-split", QString::number(c.split),
                                "--out", dir.file(name + copy), "--pref", "13", "--group", "3", "--records", QString::number(records)};
      ASSERT_EQ(sample(args).first, 0);
    }
    for (const QString& made : QDir(dir.file(name + "/a")).entryList(QDir::Files))
      EXPECT_EQ(dir.bytes(name + "/a/" + made), dir.bytes(name + "/b/" + made)) << made.toStdString();
    if (QString(c.format) == "shp") {
      EXPECT_EQ(dir.bytes(name + "/a/boundaries.dbf").substr(1, 3), "\x5f\x0a\x01");  // its date, so any day gives these bytes
      ASSERT_TRUE(QFile::remove(dir.file(name + "/a/boundaries.cpg")));  // the DBF's language id alone says CP932
    }

    const GDALDatasetUniquePtr ds(GDALDataset::Open(dir.file(name + "/a" + file).toUtf8(), GDAL_OF_VECTOR));
    ASSERT_TRUE(ds);
    OGRLayer* layer = ds->GetLayer(0);
    EXPECT_EQ(layer->GetGeomType(), c.type);
    EXPECT_STREQ(layer->GetSpatialRef()->GetAuthorityCode(nullptr), std::to_string(c.epsg).c_str());
    // Each area its square, a split one its island besides; no two areas overlap.
    std::map<std::string, int> features;
    OGRMultiPolygon all;
    double sum = 0;
    for (auto& f : *layer) {
      const std::string key = f->GetFieldAsString("KEY_CODE");
      EXPECT_EQ(f->GetFieldAsString("地域名"), "地域" + key);
      ++features[key];
      const std::unique_ptr<OGRGeometry> shape(OGRGeometryFactory::forceToMultiPolygon(f->StealGeometry()));
      for (const OGRPolygon* part : *shape->toMultiPolygon()) all.addGeometry(part), sum += part->get_Area();
    }
    ASSERT_EQ(features.size(), size_t(records));
    int split = 0;
    for (const auto& [key, n] : features) split += n == 2;
    EXPECT_EQ(features.size() + split, size_t(layer->GetFeatureCount()));
    if (c.split == 0) {
      EXPECT_EQ(split, 0);
    } else {
      EXPECT_GT(split, records * 35 / 100);
      EXPECT_LT(split, records * 65 / 100);
    }
    EXPECT_NEAR(sum, (records * 0.81 + split * 0.012) * cell * cell, 1e-9);
    const std::unique_ptr<OGRGeometry> everything(all.UnionCascaded());
    EXPECT_NEAR(everything->toMultiPolygon()->get_Area(), sum, 1e-9);
  }
}

// Each file of a Shapefile is kept as h7sample keeps any file: other bytes only with --force,
// a missing one made again; the two options go with --boundaries only. A refusal's status and
// text: a command line it cannot take 2 with the hint, a folder it cannot make 1 without.
TEST(H7Sample, FilesAndRefusals) {
  h7test::ScratchDir dir;
  const QStringList base = {"--data", "--boundaries", "--out", dir.path(), "--pref", "1", "--group", "3", "--records", "4"};
  const QStringList args = base + QStringList{"--boundaries-format", "shp"};
  ASSERT_EQ(sample(args).first, 0);
  const std::string cpg = dir.bytes("boundaries.cpg");
  dir.write("boundaries.dbf", "other");
  ASSERT_TRUE(QFile::remove(dir.file("boundaries.cpg")));
  namespace text = h7::msg::sample;
  const QString hint = '\n' + text::helpHint() + '\n';
  const struct {
    QStringList args;
    int status;
    QString err;
  } cases[] = {
      {args, 1, "h7sample: " + text::otherBytes(dir.file("boundaries.dbf")).description + '\n'},
      {args + QStringList{"--force"}, 0, ""},
      {{"--data", "--out", dir.path(), "--pref", "1", "--group", "3", "--records", "4", "--boundaries-split", "5"}, 2,
       "h7sample: " + text::onlyWithBoundaries().description + hint},
      {base + QStringList{"--boundaries-format", "kml"}, 2, "h7sample: " + text::badValue("boundaries-format", "kml").description + hint},
      {args + QStringList{"--boundaries-split", "101"}, 2, "h7sample: " + text::badValue("boundaries-split", "101").description + hint},
      {{}, 2, "h7sample: " + text::nothingToDo().description + hint},
      {{"--names", "--out", dir.path(), "--seed", "2"}, 2, "h7sample: " + text::onlyWithData().description + hint},
      {{"--names", "--out", dir.file("boundaries.shp")}, 1, "h7sample: " + text::cannotCreateFolder(dir.file("boundaries.shp")).description + '\n'},
  };
  for (const auto& c : cases) EXPECT_EQ(sample(c.args), std::pair(c.status, c.err)) << c.args.join(' ').toStdString();
  EXPECT_EQ(std::pair(dir.bytes("boundaries.cpg"), dir.bytes("boundaries.dbf").substr(0, 1)), std::pair(cpg, std::string("\x03")));
}
#endif

}  // namespace
