// The programs' messages in one table (failures, completions, warnings, progress, help and
// the join's counts), and the one shape of a failure: a description that screens and
// h7extract show after "ERROR  ". The screens' captions and tips stay with their controls
// (gui/form*.cpp), the output's column labels with the output (extract/record_view.h).
#pragma once

#include <QString>
#include <optional>
#include <string>
#include <utility>

namespace h7 {

// What a failure means to a program that ends with an exit status: a run that failed
// or was refused for the files' sake (1), a value the rules reject (2), a command line
// that cannot be read (2, followed by how to see the usage).
enum class FailureKind { RunFailed, Rejected, Usage };

// Why something could not be done, in the user's words.
struct Failure {
  QString description;
  FailureKind kind = FailureKind::RunFailed;
  bool operator==(const Failure&) const = default;
};

// The failure as a rejected value or as a usage mistake.
inline Failure rejected(Failure f) { return f.kind = FailureKind::Rejected, f; }
inline Failure usage(Failure f) { return f.kind = FailureKind::Usage, f; }
// The exit status of a program that ends with the failure.
inline int exitStatus(const Failure& f) { return f.kind == FailureKind::RunFailed ? 1 : 2; }

// A value, or the failure that stopped it.
template <class T>
class Result {
 public:
  Result(T value) : value_(std::move(value)) {}
  Result(Failure failure) : failure_(std::move(failure)) {}
  explicit operator bool() const { return !failure_; }
  T& operator*() { return *value_; }
  const T& operator*() const { return *value_; }
  T* operator->() { return &*value_; }
  const T* operator->() const { return &*value_; }
  const Failure& failure() const { return *failure_; }

 private:
  std::optional<T> value_;
  std::optional<Failure> failure_;
};

// A text as the user is shown it: each byte kept from a path or argument that is no UTF-8
// (a lone U+DC80 + byte, core/command_line.h), and each control character, written \xNN.
QString showKeptBytes(const QString& text);
// The message of a failure: "ERROR  " and its description; a usage mistake's is its
// description and how to see the usage. Kept bytes in the description shown as \xNN.
QString errorMessage(const Failure& failure);
// The item list's own form: "ERROR " (one blank) and the description.
QString itemListMessage(const Failure& failure);
// A description followed by the path it concerns: "ファイルが見つかりません。 (/data/NAMEH7S1.CCC)".
Failure withPath(const Failure& failure, const QString& path);
// The failure of an errno value; `writing` picks the wording for permissions.
Failure errnoFailure(int error, bool writing = false);

namespace msg {
// Files and folders.
inline Failure fileNotFound() { return {QStringLiteral("ファイルが見つかりません。")}; }
inline Failure pathNotFound() { return {QStringLiteral("パスが見つかりません。")}; }
inline Failure badPathName() { return {QStringLiteral("パス名が無効です。")}; }
inline Failure folderGiven() { return {QStringLiteral("フォルダが指定されています。")}; }
inline Failure cannotWrite() { return {QStringLiteral("書き込みできません。")}; }
inline Failure cannotRead() { return {QStringLiteral("ファイルにアクセスできません。")}; }
inline Failure diskFull() { return {QStringLiteral("ディスクの空き容量が不足しています。")}; }
inline Failure tooManyFiles() { return {QStringLiteral("開いているファイルが多すぎます。")}; }
inline Failure deviceError() { return {QStringLiteral("デバイス I/O エラーです。")}; }
inline Failure folderNotReadable() { return {QStringLiteral("フォルダにアクセスできません。")}; }
inline Failure deviceNotReady() { return {QStringLiteral("デバイスの準備ができていません。")}; }
inline QString standardOutput() { return QStringLiteral("標準出力"); }
inline Failure sameAsInput() { return {QStringLiteral("出力ファイルが入力ファイルと同じです")}; }
inline Failure namedLikeInput() {
  return {QStringLiteral("データファイル・項目名称ファイルの名前は出力ファイルに使えません。")};
}
inline Failure fileExists() { return {QStringLiteral("ファイルは既に存在します。")}; }
inline Failure tooManyLinks() { return {QStringLiteral("シンボリックリンクの階層が多すぎます。")}; }
inline Failure brokenPipe() { return {QStringLiteral("パイプが切断されました。")}; }
inline Failure noDevice() { return {QStringLiteral("デバイスが見つかりません。")}; }
inline Failure busy() { return {QStringLiteral("デバイスまたはリソースが使用中です。")}; }
inline Failure tryAgain() { return {QStringLiteral("リソースが一時的に使用できません。")}; }
inline Failure outOfMemory() { return {QStringLiteral("メモリが不足しています。")}; }
inline Failure staleFile() { return {QStringLiteral("ネットワーク上のファイルが無効になりました。")}; }
inline Failure timedOut() { return {QStringLiteral("接続がタイムアウトしました。")}; }
inline Failure fileTooLarge() { return {QStringLiteral("ファイルが大きすぎます。")}; }
inline Failure badDescriptor() { return {QStringLiteral("ファイル記述子が無効です。")}; }
inline Failure otherDrive() { return {QStringLiteral("別のドライブへは移動できません。")}; }
// The run.
inline Failure outOfRange() { return {QStringLiteral("インデックスが有効範囲にありません。")}; }
inline Failure overflow() { return {QStringLiteral("オーバーフローしました。")}; }
// Which value overflowed; the run adds the file and the line.
inline Failure overflowInItem(int item) { return {overflow().description + QStringLiteral(" 項目番号 %1").arg(item)}; }
inline Failure overflowInCode() { return {overflow().description + QStringLiteral(" 市区町村コード")}; }
inline Failure mixedLineEnds() {
  return {QStringLiteral("改行コードが混在しています（CR と LF の両方で終わる行があります）。")};
}
inline Failure changedWhileRead() { return {QStringLiteral("ファイルが読み込み中に変更されました。")}; }
// Archives (a data location that is a file) and their members.
inline Failure notAnArchive() { return {QStringLiteral("フォルダでもアーカイブでもありません。")}; }
inline Failure archiveUnreadable(const QString& why) { return {QStringLiteral("アーカイブを読めません（%1）。").arg(why)}; }
inline Failure encryptedMember() { return {QStringLiteral("暗号化されたメンバーは読めません。")}; }
inline Failure memberSizeDiffers(long long read, long long recorded) {
  return {QStringLiteral("メンバーの大きさが記録と違います（%1 バイトを読み、記録は %2 バイト）。").arg(read).arg(recorded)};
}
inline Failure twoMembers(const QString& a, const QString& b) {
  return {QStringLiteral("同じファイルに当たるメンバーが2つあります: %1, %2").arg(a, b)};
}
inline Failure archiveLibraryMissing(const QString& why) {
  return {QStringLiteral("アーカイブを読むライブラリを読み込めません: ") + why};
}
// A line of more than twice a record's length without the other line end: read by its positions.
inline QString longLine(const QString& where) {
  return QStringLiteral("警告  行がレコード長の 2 倍より長いため、先頭の部分だけを読みました。 (%1)").arg(where);
}
inline QString atLine(const QString& path, long long line) { return path + QStringLiteral(", %1 行目").arg(line); }
inline Failure tooManyItems(long long limit) {
  return {QStringLiteral("出力項目が多すぎます（%1 項目まで）。").arg(limit)};
}
inline Failure tooManyNames(int limit) {
  return {QStringLiteral("項目名称ファイルの行数が多すぎます（%1 行まで）。").arg(limit)};
}
inline Failure noGroupSelected() { return {QStringLiteral("集計区分が選択されていません。")}; }
inline Failure nameTooLong() { return {QStringLiteral("項目名称が長すぎます。")}; }
inline Failure noItems() { return {QStringLiteral("出力項目の選択指定がされていません。")}; }
QString completion(int KCNT, long long ICNT, long long OCNT);  // "正常終了  KCNT= 1361   ICNT=  ..."
// The checks of the screens.
inline Failure badPrefecture() { return {QStringLiteral("都道府県番号異常")}; }
inline Failure belowSmallestItem() { return {QStringLiteral("最小項目番号を超えた")}; }
inline Failure aboveLargestItem() { return {QStringLiteral("最大項目番号を超えた")}; }
inline Failure badInterval() { return {QStringLiteral("間隔値異常")}; }
inline Failure startAfterEnd() { return {QStringLiteral("開始項目　＞　終了項目")}; }
inline Failure unknownMunicipality() { return {QStringLiteral("市区町番号が不明")}; }
// h7extract.
inline Failure unknownOption(const QString& argument) { return {QStringLiteral("不明なオプションです: ") + argument}; }
inline Failure missingValue(const QString& option) { return {option + QStringLiteral(" に値がありません。")}; }
inline Failure badGroup() { return {QStringLiteral("--group には 1、2 または 3 を指定してください。")}; }
inline Failure optionsRequired(const QString& options) { return {options + QStringLiteral(" を指定してください。")}; }
inline Failure badItemSets(const QString& text) { return {QStringLiteral("--items の形式が正しくありません: ") + text}; }
inline Failure nothingMatches(const QString& key) { return {QStringLiteral("--items-matching に合う項目がありません: ") + key}; }
inline Failure emptyMatchKey() { return {QStringLiteral("--items-matching に名称の一部を指定してください。")}; }
inline Failure badPrefectures(const QString& text) { return {QStringLiteral("--pref の形式が正しくありません: ") + text}; }
inline Failure noRanges(const QString& text) {
  return {QStringLiteral("--municipalities に範囲がありません（開始 0 で終わります）: ") + text};
}
inline Failure notTogether(const QString& a, const QString& b) {
  return {a + QStringLiteral(" と ") + b + QStringLiteral(" は一緒に指定できません。")};
}
inline Failure onlyWith(const QString& option, const QString& with) {
  return {option + QStringLiteral(" は ") + with + QStringLiteral(" と一緒に指定してください。")};
}
inline Failure givenTwice(const QString& option) {
  return {option + QStringLiteral(" が異なる値で 2 回指定されています。")};
}
inline Failure strayArgument(const QString& argument) { return {QStringLiteral("余分な引数です: ") + argument}; }
inline Failure badRanges(const QString& text) {
  return {QStringLiteral("--municipalities の形式が正しくありません: ") + text};
}
// Every program, at start.
inline Failure badKernel(const QString& name, const QString& usable) {
  return {QStringLiteral("環境変数 H7_KERNEL の値 %1 はこのプロセッサでは使えません (使えるもの: %2)").arg(name, usable)};
}
inline Failure unknownKernel(const QString& value, const QString& kernels) {
  return {QStringLiteral("環境変数 H7_KERNEL の値 %1 はカーネルの名前ではありません (カーネル: %2)").arg(value, kernels)};
}
QString extractHelp();  // h7extract --help
inline QString helpHint() { return QStringLiteral("'h7extract --help' で使い方を表示します。"); }
inline QString progressLine() { return QStringLiteral("読み込み行数 %1  %2%  %3 MB/s"); }
inline QString statsHeading() { return QStringLiteral("数値を含まず 0 とした値 (項目番号: 件数)"); }
inline QString statsTotal() { return QStringLiteral("  合計: %1"); }
// h7extract's map output (--boundaries).
inline Failure noMapSupport() {
  return {QStringLiteral("--boundaries は使えません: 地図出力（GDAL）なしでビルドされています。")};
}
inline Failure mapNeedsGpkg() {
  return {QStringLiteral("--boundaries では --output に .gpkg で終わるファイル名を指定してください。")};
}
inline Failure tooManyColumns(int most) {
  return {QStringLiteral("項目が多すぎます: GeoPackage の 1 レイヤに書ける項目は %1 個までです。").arg(most)};
}
inline Failure boundariesNotOpened() { return {QStringLiteral("境界データを開けません。")}; }
inline Failure noBoundaryLayer(const QString& name) { return {QStringLiteral("境界データにレイヤがありません: ") + name}; }
inline Failure noBoundaryField(const QString& name) { return {QStringLiteral("境界データに結合キーの項目がありません: ") + name}; }
inline Failure badBoundaryField(const QString& name) {
  return {QStringLiteral("結合キーの項目が文字列でも整数でもありません: ") + name};
}
inline Failure noCopiedField(const QString& name) { return {QStringLiteral("境界データにその項目がありません: ") + name}; }
inline Failure copiedFieldClash(const QString& name) {
  return {QStringLiteral("境界データの項目名が出力の列名と重なります（大文字小文字は区別しません）: ") + name};
}
inline Failure notPolygons(const QString& type) {
  return {QStringLiteral("境界データが面（ポリゴン）ではありません: ") + type};
}
inline Failure boundariesNotRead() { return {QStringLiteral("境界データを読めません。")}; }
inline Failure mapNotWritten() { return {QStringLiteral("GeoPackage を書けません。")}; }
// No area joined: the key field, then a few codes of the data and keys of the boundaries.
inline Failure nothingJoined(const QString& keyField, const QString& codes, const QString& keys) {
  return {QStringLiteral("結合できた地域がありません。データの KEY_CODE: %2、境界データの %1: %3").arg(keyField, codes, keys)};
}
inline QString joinCounts() {
  return QStringLiteral("結合: %1 地域, 境界なし %2, データなし %3, 統合 %4 地域（%5 図形）");
}
inline QString noCoordinateSystem(const QString& path) {
  return QStringLiteral("警告  境界データに座標系がないため、出力の座標系は未定義です。 (%1)").arg(path);
}
inline QString partsNotUnited(const QString& key) {
  return QStringLiteral("警告  境界の図形を統合できないため、そのまま集めました: %1").arg(key);
}
// --unmatched: the header, and the side a code is missing on.
inline QString unmatchedHeader() { return QStringLiteral("code,side"); }
inline QString noBoundarySide() { return QStringLiteral("境界なし"); }
inline QString noDataSide() { return QStringLiteral("データなし"); }
// The map module (libh7map.so), loaded only for a map: missing, or there and not loadable
// (a library it needs absent); the path of the module follows.
inline Failure mapModuleMissing() {
  return {QStringLiteral("地図出力のモジュールがありません（Debian ではパッケージ h7select-map）。")};
}
inline Failure mapModuleNotLoaded(const QString& why) {
  return {QStringLiteral("地図出力のモジュールを読み込めません: ") + why};
}

// h7sample, a developers' tool, speaks English. Its failures carry their exit status: a
// command line it cannot take (usage, 2, then the hint), a value it cannot use (2), a file it
// cannot make or may not replace (1).
namespace sample {
QString help();  // h7sample --help
inline QString helpHint() { return QStringLiteral("Try 'h7sample --help' for more information."); }
inline Failure givenTwice(const QString& option) { return usage({option + QStringLiteral(" given twice with different values")}); }
inline Failure nothingToDo() { return usage({QStringLiteral("nothing to do: give --names, --data or both")}); }
inline Failure required(const QString& option) { return usage({option + QStringLiteral(" is required")}); }
inline Failure dataNeeds(const QString& option) { return usage({QStringLiteral("--data needs ") + option}); }
// A value h7sample cannot take: its option (without "--") and what it must be.
Failure badValue(const char* option, const std::string& value);
inline Failure onlyWithData() {
  return usage({QStringLiteral("--pref, --group, --records, --seed, --suppressed and --boundaries go with --data")});
}
inline Failure noMapSupport() { return usage({QStringLiteral("--boundaries: built without map support (GDAL)")}); }
inline Failure noMapModule(const QString& path, const QString& why) {  // why: empty when the file is missing
  return rejected({QStringLiteral("--boundaries: the map module %1 ").arg(path) +
                   (why.isEmpty() ? QStringLiteral("is missing (Debian: package h7select-map)") : QStringLiteral("cannot be loaded: ") + why)});
}
inline Failure boundariesNotWritten(const QString& path, const QString& why, bool shapefile) {
  return {QStringLiteral("%1: cannot write the %2: %3").arg(path, shapefile ? QStringLiteral("Shapefile") : QStringLiteral("GeoPackage"), why)};
}
inline Failure onlyWithBoundaries() {
  return usage({QStringLiteral("--boundaries-format and --boundaries-split go with --boundaries")});
}
inline Failure archiveNoBoundaries() { return usage({QStringLiteral("--boundaries writes files of its own: not with --archive")}); }
inline Failure noArchiveLibrary(const QString& why) {
  return rejected({QStringLiteral("--archive: libarchive cannot be loaded (Debian: package libarchive13): ") + why});
}
inline Failure archiveNotWritten(const QString& path, const QString& why) {
  return {QStringLiteral("%1: cannot write the archive: %2").arg(path, why)};
}
inline Failure cannotCreateFolder(const QString& dir) { return {QStringLiteral("cannot create the folder ") + dir}; }
inline Failure unknownArgument(const QString& argument) { return usage({QStringLiteral("unknown argument '%1'").arg(argument)}); }
inline Failure needsValue(const QString& option) { return usage({option + QStringLiteral(" needs a value")}); }
inline Failure otherBytes(const QString& path) {
  return {path + QStringLiteral(" exists and holds other bytes; --force replaces it")};
}
// The item-name catalogue breaking a rule the tests rely on: a fault of h7sample itself.
enum class NameFault { TooFew, Length, Character, NotShiftJis, Commas, Quotes };
Failure badNames(NameFault fault, const QString& name);
// What was written (or found there with the same bytes), one line on standard output.
inline QString madeNames(const QString& path, long long count) {
  return QStringLiteral("%1: %2 names").arg(path, QString::number(count));
}
inline QString madeRecords(const QString& path, long long records, long long bytes) {
  return QStringLiteral("%1: %2 records, %3 bytes").arg(path, QString::number(records), QString::number(bytes));
}
inline QString madeArchive(const QString& path, std::size_t files, long long bytes) {
  return QStringLiteral("%1: %2 %3, %4 bytes").arg(path, QString::number(files), files == 1 ? QStringLiteral("file") : QStringLiteral("files"), QString::number(bytes));
}
inline QString madeSquares(const QString& path, long long count) {
  return QStringLiteral("%1: %2 squares").arg(path, QString::number(count));
}
}  // namespace sample
}  // namespace msg

}  // namespace h7
