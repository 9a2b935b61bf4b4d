#include "core/messages.h"

#include <QDir>
#include <cerrno>
#include <cstring>
#include <map>

#include "core/numeric.h"

namespace h7 {

QString showKeptBytes(const QString& text) {
  QString shown;
  for (qsizetype i = 0; i < text.size(); ++i) {
    const char16_t c = text[i].unicode();
    if (c >= 0xDC80 && c <= 0xDCFF && (i == 0 || !text[i - 1].isHighSurrogate()))
      shown += QStringLiteral("\\x") + QString::number(c - 0xDC00, 16).toUpper();
    else if (c < 0x20 || c == 0x7F)  // a control character of an argument never drives the terminal
      shown += QStringLiteral("\\x") + QStringLiteral("%1").arg(int(c), 2, 16, QLatin1Char('0')).toUpper();
    else
      shown += text[i];
  }
  return shown;
}

// An argument echoed in a description (a search key, a list) may hold kept bytes too.
QString errorMessage(const Failure& failure) {
  if (failure.kind == FailureKind::Usage) return showKeptBytes(failure.description) + u'\n' + msg::helpHint();
  return QStringLiteral("ERROR  ") + showKeptBytes(failure.description);
}

QString itemListMessage(const Failure& failure) { return QStringLiteral("ERROR ") + showKeptBytes(failure.description); }

Failure withPath(const Failure& failure, const QString& path) {
  if (path.isEmpty()) return failure;
  return {failure.description + QStringLiteral(" (") + showKeptBytes(QDir::toNativeSeparators(path)) + u')'};
}

Failure errnoFailure(int error, bool writing) {
  switch (error) {
    case ENOENT: return msg::fileNotFound();
    case ENOTDIR: return msg::pathNotFound();
    case EACCES:
    case EPERM:
    case EROFS:
    case ETXTBSY: return writing ? msg::cannotWrite() : msg::cannotRead();
    case EISDIR: return msg::folderGiven();
    case ENAMETOOLONG:
    case EINVAL: return msg::badPathName();
    case ENOSPC:
#ifdef EDQUOT
    case EDQUOT:
#endif
    case EFBIG: return msg::diskFull();
    case EMFILE:
    case ENFILE: return msg::tooManyFiles();
    case EIO: return msg::deviceError();
    case EEXIST: return msg::fileExists();
    case ELOOP: return msg::tooManyLinks();
    case EPIPE: return msg::brokenPipe();
    case ENXIO:
    case ENODEV: return msg::noDevice();
    case EBUSY: return msg::busy();
    case EAGAIN: return msg::tryAgain();
    case ENOMEM: return msg::outOfMemory();
    case ESTALE: return msg::staleFile();
    case ETIMEDOUT: return msg::timedOut();
    case EOVERFLOW: return msg::fileTooLarge();
    case EXDEV: return msg::otherDrive();
    case EBADF: return msg::badDescriptor();
    default: return {QString::fromLocal8Bit(std::strerror(error))};
  }
}

QString msg::completion(int KCNT, long long ICNT, long long OCNT) {
  return QStringLiteral("正常終了  KCNT=") + displayNumber(KCNT) + QStringLiteral("   ICNT= ") +
         displayNumber(double(ICNT)) + QStringLiteral("  ,OCNT= ") + displayNumber(double(OCNT));
}

QString msg::extractHelp() {
  return QStringLiteral(
      "Usage: h7extract --input DIR --output FILE|- --pref NN --group 1|2|3 --items SETS [--items-matching KEY] [--municipalities RANGES] [--numerify] [--key] [--long] [--names DIR] [--utf8|--utf8-bom] [--stats] [--quiet] [--boundaries FILE [--boundary-layer NAME] [--boundary-key FIELD] [--boundary-fields LIST|all] [--layer NAME] [--unmatched FILE] [--suppressed-as-zero]]\n"
      "  or:  h7extract --list-items [--filter KEY] --group 1|2|3 [--names DIR] [--input DIR]\n"
      "  or:  h7extract --help | --version\n"
      "\n"
      "Extracts items of a census data file (DIR/H7S<NN>S<group>.DAT) into a CSV file.\n"
      "\n"
      "Options:\n"
      "  --input DIR        folder of the census data files, or an archive holding them (zip,\n"
      "                     LZH, tar, tar.gz, tar.xz, 7z: told by its content), read where it\n"
      "                     is; in a folder, H7S13S1.DAT.gz (.bz2, .xz) stands for an absent\n"
      "                     H7S13S1.DAT; in an archive, the files are found in any sub-folder\n"
      "                     e.g. --input /data/h7   --input h7s1.zip\n"
      "  --output FILE      CSV file to write; replaced only when the run completes (a link:\n"
      "                     the file it names); never a census or item-name file;\n"
      "                     - writes to standard output   e.g. --output tokyo.csv   --output -\n"
      "  --pref NN          prefecture number 01-47 or TT (normalised like the screen field),\n"
      "                     or a list and ranges, or all (every 01-47 file in --input; TT only\n"
      "                     when named, as in all,TT): one output, prefectures in order, each once\n"
      "                     e.g. --pref 13   --pref 5 (05)   --pref 01-47   --pref 13,14   --pref all,TT\n"
      "  --group 1|2|3      tabulation group: 1 = tables 004-013 (items 1-1361),\n"
      "                     2 = 014-017 (1362-2375), 3 = 018-020 (2376-3052)\n"
      "  --items SETS       item sets FIRST[-LAST][:INTERVAL], comma-separated, in output order;\n"
      "                     a FIRST of 0 ends this list (the --items-matching items still follow);\n"
      "                     at most 100000 items in all\n"
      "                     e.g. --items 1-991:10,1200   (1, 11, ..., 991, then 1200)\n"
      "  --items-matching KEY\n"
      "                     also every item whose name contains KEY (the --filter rule), in\n"
      "                     item order, after the --items sets; one of the two is needed;\n"
      "                     only the group's items; a KEY that matches none is refused\n"
      "                     e.g. --items-matching 世帯\n"
      "  --municipalities RANGES\n"
      "                     keep only records whose municipality code is in a range\n"
      "                     FIRST[-LAST], comma-separated, codes 100-999 (a FIRST of 0 ends the\n"
      "                     list; it must keep at least one range)\n"
      "                     e.g. --municipalities 101-105,201\n"
      "  --numerify         write numeric values (character data becomes 0) instead of raw fields\n"
      "  --key              a first column KEY_CODE: prefecture, municipality and area code in\n"
      "                     one (11 characters), the join key of small-area boundary data\n"
      "  --long             one line per area and item: the codes, item number, item name,\n"
      "                     value (for R, pandas, DuckDB); OCNT counts these lines\n"
      "  --names DIR        folder (or archive) of NAMEH7S1.CCC..NAMEH7S3.CCC; without it, looked for in\n"
      "                     this program's folder, the --input folder, ~/.local/share/h7select,\n"
      "                     /usr/local/share/h7select and /usr/share/h7select, in that order\n"
      "                     e.g. --names /opt/h7select\n"
      "  --utf8             write UTF-8 instead of Shift-JIS\n"
      "  --utf8-bom         UTF-8 with a byte order mark first (for spreadsheet programs)\n"
      "  --stats            after the run, per output item: how many values held no number\n"
      "                     (numerified to 0: suppressed or blank data)\n"
      "  --quiet            no progress line\n"
      "  --boundaries FILE  write a GeoPackage instead of CSV (--output must end in .gpkg): each\n"
      "                     area joined on its KEY_CODE to the polygons of the boundary layer in\n"
      "                     FILE (shapefile, GeoPackage, GeoJSON...; a .zip is read inside),\n"
      "                     features sharing a key united into one MultiPolygon, in the layer's\n"
      "                     own coordinate system; codes as text, numerified items as numbers\n"
      "                     (NULL where the field holds no number), raw ones as text, columns\n"
      "                     named by the item names (item_NUMBER for an empty or repeated name);\n"
      "                     a DBF that names no encoding is read as CP932; not with --long,\n"
      "                     --utf8 or --utf8-bom. No area joined is a failure. The join's counts\n"
      "                     follow the completion message on stderr.\n"
      "                     e.g. --boundaries areas13.zip --output tokyo.gpkg\n"
      "  --boundary-layer NAME\n"
      "                     the layer of the boundary file (default: its first)\n"
      "  --boundary-key FIELD\n"
      "                     the boundary layer's key field (default KEY_CODE): text, compared\n"
      "                     trimmed, or a whole number, written with leading zeros to 11 digits\n"
      "  --boundary-fields LIST|all\n"
      "                     also these fields of the boundary layer (comma-separated; all: every\n"
      "                     field but the key), after the items, types kept; a name that an\n"
      "                     output column holds (letter case ignored) is refused\n"
      "                     e.g. --boundary-fields S_NAME,AREA\n"
      "  --layer NAME       the output's layer (default: the output file's name without .gpkg)\n"
      "  --unmatched FILE   a UTF-8 CSV (code,side) of every code that did not join: 境界なし for\n"
      "                     an area without a boundary, データなし for a boundary key without data\n"
      "  --suppressed-as-zero\n"
      "                     with --numerify: values without a number as 0 (as in the CSV), not NULL\n"
      "  --list-items       print the item numbers and names of a group (number TAB name)\n"
      "  --filter KEY       with --list-items: only names containing KEY (half-width\n"
      "                     characters in KEY are widened)   e.g. --filter 世帯\n"
      "  --version          print the version and the kernel in use\n"
      "\n"
      "Environment: H7_KERNEL=avx512|avx2|scalar uses that kernel (the byte and field loops)\n"
      "instead of the fastest one the processor has (any letter case, blanks around it\n"
      "ignored); another name, or a kernel the processor lacks, is refused (exit status 2).\n"
      "\n"
      "Numbers are digits (full-width ones too) with blanks around them allowed; anything else\n"
      "is refused. Each option may be given once, or again with a value that selects the same\n"
      "(--group 3 --group ３, --pref 13,14 --pref 14,13; --items in the same output order).\n"
      "\n"
      "Exit status: 0 completed, 1 the run failed or was refused (the output onto an input,\n"
      "a census or item-name file), 2 bad arguments or a rejected value, 128+N ended by\n"
      "signal N (the temporary file removed first).\n");
}

QString msg::sample::help() {
  return QStringLiteral("Usage: h7sample --names --out DIR\n"
    "  or:  h7sample --data --out DIR --pref LIST --group 1|2|3 --records N [--seed S] [--suppressed PCT]\n"
    "               [--boundaries [--boundaries-format gpkg|shp] [--boundaries-split PCT]]\n"
    "  or:  h7sample --names|--data ... --archive zip|tgz --out FILE\n"
    "\n"
    "Writes synthetic Shift-JIS files (CR LF line ends) for the demo, the tests and the\n"
    "benchmarks. The output depends only on the arguments: the same command writes the\n"
    "same bytes every time.\n"
    "\n"
    "Options:\n"
    "  --names        write the item-name files NAMEH7S1.CCC, NAMEH7S2.CCC and\n"
    "                 NAMEH7S3.CCC (1361, 1014 and 677 names)\n"
    "  --data         write census data files DIR/H7S<NN>S<G>.DAT, one per prefecture\n"
    "  --out DIR      folder for the files; created when missing\n"
    "  --archive zip|tgz  the same files packed into one archive, written at --out FILE\n"
    "                 (its folder created when missing) instead of DIR: zip (deflate) or\n"
    "                 tgz (tar, gzip-compressed); the members at its top level under the\n"
    "                 files' names, with a fixed time (1995-10-01 00:00 UTC), owner 0 and\n"
    "                 permissions 0644; not with --boundaries\n"
    "  --pref LIST    prefecture numbers 1-47: one (13), a range (01-47) or a comma\n"
    "                 list of both (01,13-14,27)\n"
    "  --group G      tabulation group 1, 2 or 3 (1361, 1014 or 677 item fields)\n"
    "  --records N    records per file (group 1: 13660 characters each)\n"
    "  --seed S       seed of the random values (default 1)\n"
    "  --force        replace files that hold other bytes (without it such a file is\n"
    "                 left as it is and nothing is written; the same bytes are fine)\n"
    "  --suppressed PCT  the harsh mix of real small-area data: PCT percent of the\n"
    "                 fields (0-100) blank, X (suppressed) or - (zero), the rest whole\n"
    "                 numbers of 1 to 7 digits and a few decimals\n"
    "  --boundaries   with --data: also DIR/boundaries.gpkg, a square per record written\n"
    "                 (layer boundaries, fields KEY_CODE, 地域名 and AREA, EPSG:6668\n"
    "                 longitude/latitude), for joining with h7extract --boundaries; a\n"
    "                 record cut short inside its code keeps what is left of it, one cut\n"
    "                 before it gets no square\n"
    "  --boundaries-format gpkg|shp  gpkg (default): DIR/boundaries.gpkg; shp: an ESRI\n"
    "                 Shapefile DIR/boundaries.shp (.shx, .dbf, .prj, .cpg) in JGD2000\n"
    "                 (EPSG:4612), its DBF in CP932 (a .cpg and the language id say so)\n"
    "  --boundaries-split PCT  PCT percent of the areas (0-100, default 0) stored as two\n"
    "                 features with the same KEY_CODE: a Polygon, part of the square, and a\n"
    "                 MultiPolygon of the rest and a small island; the GeoPackage's layer\n"
    "                 is then MultiPolygon; which areas depends on the seed and the record\n"
    "  -h, --help     show this text\n"
    "\n"
    "--names and --data may be given together. Numbers are read as h7extract reads them\n"
    "(full-width digits and blanks around them allowed); an option given twice must say\n"
    "the same both times (--group 3 --group ３, --pref 13,14 --pref 14,13).\n"
    "\n"
    "Examples:\n"
    "  h7sample --names --out build/bin\n"
    "  h7sample --data --out /tmp/census --pref 13 --group 1 --records 1000\n"
    "  h7sample --data --out /tmp/census --pref 01-47 --group 3 --records 200 --seed 7\n"
    "  h7sample --names --data --out /tmp/demo --pref 13,14 --group 2 --records 500\n"
    "  h7sample --names --data --archive zip --out /tmp/demo.zip --pref 13,14 --group 1 --records 50\n"
    "  h7sample --data --boundaries --out /tmp/map --pref 13 --group 1 --records 4000\n"
    "  h7sample --data --boundaries --boundaries-format shp --boundaries-split 10 --out /tmp/shp\n"
    "           --pref 13 --group 1 --records 4000\n");
}

Failure msg::sample::badValue(const char* option, const std::string& value) {
  static const std::map<std::string, QString> kinds = {
      {"pref", QStringLiteral("a prefecture number 1-47, a range or a comma list of them")},
      {"group", QStringLiteral("1, 2 or 3")},
      {"records", QStringLiteral("a number from 0 to 100000000")},
      {"seed", QStringLiteral("a whole number from 0 to 2^64-1")},
      {"suppressed", QStringLiteral("a percentage from 0 to 100")},
      {"boundaries-format", QStringLiteral("gpkg or shp")},
      {"boundaries-split", QStringLiteral("a percentage from 0 to 100")},
      {"archive", QStringLiteral("zip or tgz")},
  };
  return usage({QStringLiteral("--%1: '%2' is not ").arg(QLatin1String(option), QString::fromStdString(value)) + kinds.at(option)});
}

Failure msg::sample::badNames(NameFault fault, const QString& name) {
  static const std::map<NameFault, QString> texts = {
      {NameFault::TooFew, QStringLiteral("too few names")},
      {NameFault::Length, QStringLiteral("bad length: ")},
      {NameFault::Character, QStringLiteral("bad character in: ")},
      {NameFault::NotShiftJis, QStringLiteral("not Shift-JIS: ")},
      {NameFault::Commas, QStringLiteral("too few names with a comma")},
      {NameFault::Quotes, QStringLiteral("wrong number of quoted names")},
  };
  return {QStringLiteral("internal error: ") + texts.at(fault) + name};
}

}  // namespace h7
