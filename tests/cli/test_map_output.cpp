// The map output of h7extract (--boundaries), read back with GDAL.
#include <gtest/gtest.h>

#include <QDir>
#include <gdal_priv.h>
#include <map>
#include <ogrsf_frmts.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include "cli/cli_run.h"
#include "cli/program_entry.h"
#include "core/command_line.h"
#include "core/numeric.h"
#include "core/sjis.h"
#include "map/h7map.h"

namespace {

using h7test::Ran;
using h7test::run;
using H7Extract = h7test::H7ExtractTest;

constexpr const char* kTriangle = R"({"type":"Polygon","coordinates":[[[139,35],[140,35],[140,36],[139,35]]]})";

// A GeoJSON layer: a feature of the geometry for each text of properties.
std::string geoJson(const std::string& geometry, const std::vector<std::string>& properties) {
  std::string text = R"({"type":"FeatureCollection","features":[)";
  for (const std::string& p : properties) text += R"({"type":"Feature","geometry":)" + geometry + R"(,"properties":{)" + p + "}},";
  text.back() = ']';
  return text + "}";
}

// --boundaries: the records joined to h7sample's squares and to hand-made layers (a key twice,
// one without data, keys as numbers and as padded text), written through the one writer: a
// link kept, a folder of Shift-JIS bytes, the file-size limit a full disk, never over a census,
// item-name or boundary file. A failure keeps the old output and leaves no temporary.
TEST_F(H7Extract, MapOutput) {
  const QString m = dir.file("m"), out = dir.file("out.gpkg"), squaresFile = m + "/boundaries.gpkg";
  ASSERT_EQ(run("h7sample", {"--data", "--boundaries", "--out", m, "--pref", "5", "--group", "1", "--records", "30"}).status, 0);
  GDALAllRegister();
  std::map<std::string, std::unique_ptr<OGRGeometry>> squares;
  const GDALDatasetUniquePtr sample(GDALDataset::Open(squaresFile.toUtf8()));
  for (auto& f : *sample->GetLayer(0))
    squares[f->GetFieldAsString("KEY_CODE")].reset(f->StealGeometry());
  ASSERT_EQ(squares.size(), 30u);
  const std::string k0 = squares.begin()->first, k1 = std::next(squares.begin())->first;
  dir.write("codes.geojson", geoJson(kTriangle, {"\"CODE\":" + std::to_string(std::stoll(k0)), "\"CODE\":" + k0.substr(1),
                                                 "\"CODE\":" + k1.substr(1), "\"CODE\":99"}));
  dir.write("text.geojson", geoJson(kTriangle, {"\"KEY_CODE\":\" " + k0 + " \""}));
  QDir().mkpath(dir.file("bad"));  // the data and a last record whose value overflows
  dir.write("bad/H7S05S1.DAT", dir.bytes("m/H7S05S1.DAT") + dir.bytes("m/H7S05S1.DAT").substr(0, 50) + "     1E999\r\n");
  const QByteArray tokyo = QFile::encodeName(dir.path()) + "/\x93\x8c\x8b\x9e";  // 東京 in Shift-JIS bytes
  ASSERT_EQ(::mkdir(tokyo, 0700) | ::symlink("out.gpkg", QFile::encodeName(dir.file("link.gpkg"))) |
            ::link(QFile::encodeName(m + "/H7S05S1.DAT"), QFile::encodeName(dir.file("census.gpkg"))) |
            ::symlink(H7_BIN_DIR "/NAMEH7S1.CCC", QFile::encodeName(dir.file("names.gpkg"))) |
            ::mkfifo(QFile::encodeName(dir.file("pipe.gpkg")), 0600), 0);
  const struct {
    std::vector<std::pair<QString, QString>> changes;
    int status;
    QString err;
    rlim_t sizeLimit = RLIM_INFINITY;
  } cases[] = {
      {{{"--numerify", ""}}, 0, "結合: 30 地域, 境界なし 0, データなし 0, 統合 0 地域（0 図形）"},
      {{{"--boundaries", dir.file("codes.geojson")}, {"--boundary-key", "CODE"}}, 0, "結合: 2 地域, 境界なし 28, データなし 1, 統合 1 地域（2 図形）"},
      {{{"--boundaries", dir.file("text.geojson")}}, 0, "結合: 1 地域, 境界なし 29, データなし 0, 統合 0 地域（0 図形）"},
      {{{"--output", dir.file("link.gpkg")}, {"--numerify", ""}}, 0, "結合: 30 地域"},
      {{{"--output", dir.file("\\x93\\x8c\\x8b\\x9e/out.gpkg")}}, 0, "結合: 30 地域"},
      {{{"--boundary-key", "CODE"}}, 1, h7::errorMessage(h7::msg::noBoundaryField("CODE"))},
      {{{"--boundary-layer", "none"}}, 1, h7::errorMessage(h7::msg::noBoundaryLayer("none"))},
      {{{"--boundaries", dir.file("none.shp")}}, 1, h7::errorMessage(h7::msg::boundariesNotOpened())},
      {{{"--boundaries", dir.file("pipe.gpkg")}}, 1, h7::errorMessage(h7::msg::boundariesNotOpened())},
      {{{"--output", dir.file("none/out.gpkg")}}, 1, h7::errorMessage(h7::msg::pathNotFound())},
      {{{"--output", squaresFile}}, 1, h7::errorMessage(h7::withPath(h7::msg::sameAsInput(), squaresFile))},
      {{{"--output", dir.file("census.gpkg")}}, 1, h7::errorMessage(h7::withPath(h7::msg::sameAsInput(), m + "/H7S05S1.DAT"))},
      {{{"--output", dir.file("names.gpkg")}}, 1, h7::errorMessage(h7::withPath(h7::msg::namedLikeInput(), dir.file("names.gpkg")))},
      {{}, 1, h7::errorMessage(h7::withPath(h7::msg::diskFull(), out)), 64},
      {{{"--input", dir.file("bad")}, {"--numerify", ""}}, 1, h7::errorMessage(h7::msg::overflow())},
      {{{"--pref", "6"}}, 1, h7::errorMessage(h7::msg::fileNotFound())},
      {{{"--output", dir.file("out.csv")}}, 2, "--boundaries では --output に .gpkg"},
      {{{"--long", ""}}, 2, "--boundaries と --long は一緒に指定できません。"},
      {{{"--items", "1-1361,1-634"}}, 2, "項目が多すぎます"},
      {{{"--boundaries", ""}, {"--boundary-key", "CODE"}}, 2, "--boundary-key は --boundaries と一緒に"},
  };
  // A path as the program gets it: \xNN as that byte.
  const auto bytes = [](const QString& path) {
    QByteArray b = path.toUtf8();
    for (qsizetype at; (at = b.indexOf("\\x")) >= 0;) b.replace(at, 4, QByteArray::fromHex(b.mid(at + 2, 2)));
    return b;
  };
  for (const auto& c : cases) {
    QStringList args = {"--input", m, "--output", out, "--pref", "5", "--group", "1", "--items", "1-3,1", "--boundaries", squaresFile};
    for (const auto& [option, value] : c.changes) {
      const qsizetype at = args.indexOf(option);
      if (at >= 0 && value.isEmpty()) args.remove(at, 2);
      else if (at >= 0) args[at + 1] = value;
      else args << option << (value.isEmpty() ? QStringList() : QStringList{value});
    }
    dir.write("out.gpkg", "old");
    rlimit saved{};
    ::getrlimit(RLIMIT_FSIZE, &saved);
    rlimit limit{c.sizeLimit * 1024, saved.rlim_max};
    ::setrlimit(RLIMIT_FSIZE, c.sizeLimit == RLIM_INFINITY ? &saved : &limit);
    const Ran r = run("h7extract", args);
    ::setrlimit(RLIMIT_FSIZE, &saved);
    const std::string what = args.join(' ').toStdString() + ": " + r.err.toStdString();
    EXPECT_EQ(r.status, c.status) << what;
    EXPECT_TRUE(r.err.contains(c.err)) << what;
    for (const QByteArray& folder : {QFile::encodeName(dir.path()), tokyo})
      h7::forEachName(h7::fromNativeBytes(folder), [&](std::string_view name) { EXPECT_FALSE(name.starts_with(".h7tmp")) << what; });
    if (c.status != 0) {
      EXPECT_EQ(dir.bytes("out.gpkg"), "old") << what;
      continue;
    }
    // Codes as text, numerified items as numbers, raw ones as text; the repeated item renamed.
    GDALDatasetUniquePtr joined(GDALDataset::Open(bytes(args[3])));
    ASSERT_TRUE(joined) << what;
    OGRLayer& l = *joined->GetLayer(0);
    EXPECT_EQ(l.GetFeatureCount(), 30);
    const bool numerified = args.contains("--numerify");
    for (int i = 0; i < 8; ++i) EXPECT_EQ(l.GetLayerDefn()->GetFieldDefn(i)->GetType(), i >= 4 && numerified ? OFTReal : OFTString);
    EXPECT_STREQ(l.GetLayerDefn()->GetFieldDefn(7)->GetNameRef(), "item_1");
    if (!numerified) continue;
    // Each area, in order, with its own square and the values of the CSV output.
    QStringList csvArgs = args.mid(0, 10);
    csvArgs[3] = "-";
    const QList<QByteArray> csv = run("h7extract", csvArgs << "--numerify" << "--key").out.split('\n');
    int line = 0;
    for (auto& f : l) {
      const QList<QByteArray> fields = csv.value(++line).trimmed().split(',');
      ASSERT_EQ(fields.size(), 8) << line;
      for (int i = 0; i < 8; ++i)
        EXPECT_EQ(f->IsFieldNull(i) ? "0" : f->GetFieldAsString(i),  // NULL: no number in the field
                  QString(i < 4 ? fields[i].mid(1, fields[i].size() - 2) : fields[i]).toStdString());
      const std::unique_ptr<OGRGeometry> square(OGRGeometryFactory::forceToMultiPolygon(squares[f->GetFieldAsString(0)]->clone()));
      ASSERT_NE(f->GetGeometryRef(), nullptr) << line;
      EXPECT_TRUE(f->GetGeometryRef()->Equals(square.get())) << line;
    }
  }
  EXPECT_TRUE(QFileInfo(dir.file("link.gpkg")).isSymLink());
  ::unlink(tokyo + "/out.gpkg");
  ::rmdir(tokyo);  // a name Qt cannot remove
}

// The fields of a CSV line, quotes taken off (the codes are quoted, values hold no comma),
// blanks kept.
QList<QByteArray> csvFields(const QByteArray& line) {
  QList<QByteArray> fields = (line.endsWith('\r') ? line.chopped(1) : line).split(',');
  for (QByteArray& f : fields)
    if (f.startsWith('"')) f = f.mid(1, f.size() - 2);
  return fields;
}

// Boundaries shaped like the published ones: a Shapefile, its DBF in CP932, a share of the
// areas stored as two features (one a MultiPolygon with an island), and copies of it without
// a .cpg (an unmarked DBF), without a .prj, zipped; a layer of points and a table beside.
TEST_F(H7Extract, MapsOnRealBoundaries) {
  const QString m = dir.file("m"), out = dir.file("out.gpkg"), shp = m + "/boundaries.shp";
  ASSERT_EQ(run("h7sample", {"--data", "--boundaries", "--boundaries-format", "shp", "--boundaries-split", "40", "--suppressed",
                             "25", "--out", m, "--pref", "5", "--group", "1", "--records", "40"}).status, 0);
  GDALAllRegister();
  struct Area {
    OGRMultiPolygon parts;
    std::string name;
    int features = 0;
  };
  std::map<std::string, Area> areas;  // the source, by key
  {
    const GDALDatasetUniquePtr source(GDALDataset::Open(shp.toUtf8()));
    ASSERT_TRUE(source);
    for (auto& f : *source->GetLayer(0)) {
      Area& a = areas[f->GetFieldAsString("KEY_CODE")];
      if (a.features++ == 0) a.name = f->GetFieldAsString("地域名");
      std::unique_ptr<OGRGeometry> multi(OGRGeometryFactory::forceToMultiPolygon(f->StealGeometry()));
      for (const OGRPolygon* p : *multi->toMultiPolygon()) a.parts.addGeometry(p);
    }
  }
  int split = 0;
  for (const auto& [key, a] : areas) split += a.features == 2;
  ASSERT_EQ(areas.size(), 40u);
  ASSERT_GT(split, 5);
  const std::string k0 = areas.begin()->first;
  for (const char* copy : {"nocpg", "noprj"}) {  // the Shapefile without one of its files
    QDir().mkpath(dir.file(copy));
    for (const char* ext : {".shp", ".shx", ".dbf", ".prj", ".cpg"})
      if (QString(ext) != (QString(copy) == "nocpg" ? ".cpg" : ".prj"))
        dir.write(QString(copy) + "/boundaries" + ext, dir.bytes("m/boundaries" + QString(ext)));
  }
  std::string dbf = dir.bytes("nocpg/boundaries.dbf");
  dbf[29] = 0;  // no language id: nothing names the encoding
  dir.write("nocpg/boundaries.dbf", dbf);
  for (const char* ext : {".shp", ".shx", ".dbf", ".prj", ".cpg"}) {  // zipped, as distributed
    VSILFILE* member = VSIFOpenL(("/vsizip/" + dir.file("b.zip").toStdString() + "/boundaries" + ext).c_str(), "wb");
    const std::string bytes = dir.bytes("m/boundaries" + QString(ext));
    ASSERT_TRUE(member && VSIFWriteL(bytes.data(), 1, bytes.size(), member) == bytes.size());
    VSIFCloseL(member);
  }
  dir.write("codes.geojson", geoJson(kTriangle, {"\"CODE\":" + k0, "\"CODE\":99"}));
  dir.write("points.geojson", geoJson(R"({"type":"Point","coordinates":[139,35]})", {"\"KEY_CODE\":\"" + k0 + "\""}));
  dir.write("table.csv", "KEY_CODE,NAME\n" + k0 + ",x\n");
  // The CSV of the same run, raw and numerified, for the values.
  const QStringList args = {"--input", m, "--pref", "5", "--group", "1", "--items", "1-12", "--output"};
  const QList<QByteArray> raw = run("h7extract", args + QStringList{"-", "--key"}).out.split('\n'),
                          numerified = run("h7extract", args + QStringList{"-", "--key", "--numerify"}).out.split('\n');
  const QString validator = "/usr/lib/python3/dist-packages/osgeo_utils/samples/validate_gpkg.py", listed = dir.file("u.csv");
  QString unmatched = "code,side\r\n";  // what --unmatched lists of codes.geojson: every record but k0, then key 99
  for (int line = 1; line <= 40; ++line)
    if (const QByteArray key = csvFields(raw.value(line)).value(0); key.toStdString() != k0)
      unmatched += "\"" + QString(key) + "\",境界なし\r\n";
  unmatched += "\"00000000099\",データなし\r\n";
  const QString counts = h7::msg::joinCounts().arg(40).arg(0).arg(0).arg(split).arg(2 * split);
  const struct {
    QStringList changes;
    int status;
    QString err;
    QString listed;  // the --unmatched file
  } cases[] = {
      {{"--numerify", "--boundary-fields", "地域名,AREA", "--unmatched", listed}, 0, counts, "code,side\r\n"},
      {{"--boundaries", dir.file("nocpg/boundaries.shp"), "--boundary-fields", "all"}, 0, counts},
      {{"--boundaries", dir.file("b.zip"), "--numerify", "--suppressed-as-zero", "--layer", "地図"}, 0, counts},
      {{"--boundaries", dir.file("noprj/boundaries.shp")}, 0, h7::msg::noCoordinateSystem(dir.file("noprj/boundaries.shp"))},
      {{"--boundaries", dir.file("codes.geojson"), "--boundary-key", "CODE", "--unmatched", listed}, 0, "結合: 1 地域", unmatched},
      {{"--boundary-key", "地域名"}, 1, "、境界データの 地域名: " + QString::fromStdString(areas.begin()->second.name)},
      {{"--boundaries", dir.file("points.geojson")}, 2, h7::msg::notPolygons("Point").description},
      {{"--boundaries", dir.file("table.csv")}, 2, h7::msg::notPolygons("None").description},
      {{"--boundary-fields", "key_code"}, 2, h7::msg::copiedFieldClash("KEY_CODE").description},
      {{"--boundary-fields", "AREA,NONE"}, 1, h7::msg::noCopiedField("NONE").description},
  };
  for (const auto& c : cases) {
    QStringList a = args + QStringList{out, "--boundaries", shp};
    for (qsizetype i = 0; i < c.changes.size(); ++i) {
      const bool flag = i + 1 == c.changes.size() || c.changes[i + 1].startsWith("--");
      const qsizetype at = a.indexOf(c.changes[i]);
      if (at >= 0 && !flag) a[at + 1] = c.changes[++i];
      else a << c.changes[i] << (flag ? QStringList() : QStringList{c.changes[++i]});
    }
    dir.write("out.gpkg", "old");
    dir.write("u.csv", "old");
    const Ran r = run("h7extract", a);
    const std::string what = a.join(' ').toStdString() + ": " + r.err.toStdString();
    EXPECT_EQ(r.status, c.status) << what;
    EXPECT_TRUE(r.err.contains(c.err)) << what;
    EXPECT_EQ(QString::fromStdString(dir.bytes("u.csv")), c.listed.isEmpty() ? "old" : c.listed) << what;
    if (c.status != 0) {
      EXPECT_EQ(dir.bytes("out.gpkg"), "old") << what;
      continue;
    }
    EXPECT_EQ(QProcess::execute("/usr/bin/python3", {validator, out}), 0) << what;
    if (!a.contains("--boundary-fields") && !a.contains("--layer")) continue;
    // Each area: the union of its parts, its values (NULL where the field holds no number, or 0
    // with --suppressed-as-zero; raw text as in the CSV), the first part's attributes.
    const GDALDatasetUniquePtr joined(GDALDataset::Open(out.toUtf8()));
    ASSERT_TRUE(joined) << what;
    OGRLayer& l = *joined->GetLayer(0);
    EXPECT_EQ(std::pair(wkbFlatten(l.GetGeomType()), QString(l.GetName())),
              std::pair(wkbMultiPolygon, a.contains("--layer") ? QString("地図") : QString("out")));
    const bool numbers = a.contains("--numerify"), zero = a.contains("--suppressed-as-zero");
    int line = 0, nulls = 0;
    for (auto& f : l) {
      const QList<QByteArray> text = csvFields(raw.value(++line)), value = csvFields(numerified.value(line));
      ASSERT_EQ(text.size(), 16) << line;
      const Area& area = areas[f->GetFieldAsString(0)];
      std::unique_ptr<OGRGeometry> united(area.parts.UnionCascaded());  // a Polygon or a MultiPolygon
      EXPECT_NEAR(f->GetGeometryRef()->toMultiPolygon()->get_Area(), OGR_G_Area(OGRGeometry::ToHandle(united.get())), 1e-12) << line;
      for (int i = 4; i < 16; ++i) {
        const bool noNumber = !h7::holdsNumber(text[i].toStdString());
        nulls += f->IsFieldNull(i);
        const std::string csvText = h7::sjis::decode(text[i].toStdString()).toStdString();
        if (numbers) {
          EXPECT_EQ(std::pair(f->IsFieldNull(i), f->GetFieldAsDouble(i)), std::pair(noNumber && !zero, value[i].toDouble()));
        } else {
          EXPECT_EQ(std::pair(f->IsFieldNull(i), std::string(f->GetFieldAsString(i))), std::pair(false, csvText));
        }
      }
      if (a.contains("--boundary-fields")) {
        EXPECT_EQ(std::string(f->GetFieldAsString("地域名")), area.name) << what;
      }
    }
    EXPECT_EQ(line, 40);
    EXPECT_EQ(nulls > 0, numbers && !zero) << what;
  }
}

// A map asked for without the module beside the program (or ../lib/h7select/ from it), or with
// one that cannot be loaded: the module's path named, exit 2, before any file is touched.
TEST_F(H7Extract, MapModuleMissing) {
  QDir().mkpath(dir.file("bin"));
  for (const char* program : {"h7extract", H7EXTRACT_LIBRARY, "h7sample"})
    ASSERT_TRUE(QFile::copy(QStringLiteral(H7_BIN_DIR "/") + program, dir.file("bin/") + program));
  const QString module = dir.file("bin/" H7MAP_FILE_NAME);
  const QStringList map = with(base("1"), "--output", dir.file("out.gpkg")) << "--boundaries" << dir.file("b.gpkg");
  const QStringList sample = {"--data", "--boundaries", "--out", dir.file("s"), "--pref", "1", "--group", "1", "--records", "1"};
  for (const char* garbage : {"", "no ELF"}) {
    if (*garbage) dir.write("bin/" H7MAP_FILE_NAME, garbage);
    const Ran extract = run(dir.file("bin/h7extract"), map), made = run(dir.file("bin/h7sample"), sample);
    const h7::Failure why = *garbage ? h7::msg::mapModuleNotLoaded(QString()) : h7::msg::mapModuleMissing();
    EXPECT_EQ(std::tuple(extract.status, made.status), std::tuple(2, 2));
    EXPECT_TRUE(extract.err.startsWith(h7::errorMessage(why))) << extract.err.toStdString();
    EXPECT_TRUE(extract.err.endsWith(" (" + module + ")\n")) << extract.err.toStdString();
    EXPECT_TRUE(made.err.contains(module)) << made.err.toStdString();
    EXPECT_FALSE(QFileInfo::exists(dir.file("s")));
  }
}

}  // namespace
