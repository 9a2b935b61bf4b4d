#include "core/messages.h"

#include <QDir>
#include <cerrno>
#include <cstring>

#include "core/numeric.h"

namespace h7 {

QString errorMessage(const Failure& failure) {
  if (failure.kind == FailureKind::Usage) return failure.description + u'\n' + msg::helpHint();
  return QStringLiteral("ERROR  ") + failure.description;
}

QString itemListMessage(const Failure& failure) { return QStringLiteral("ERROR ") + failure.description; }

Failure withPath(const Failure& failure, const QString& path) {
  if (path.isEmpty()) return failure;
  return {failure.description + QStringLiteral(" (") + QDir::toNativeSeparators(path) + u')'};
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
    default: return {QString::fromLocal8Bit(std::strerror(error))};
  }
}

QString msg::completion(int KCNT, long long ICNT, long long OCNT) {
  return QStringLiteral("正常終了  KCNT=") + displayNumber(KCNT) + QStringLiteral("   ICNT= ") +
         displayNumber(double(ICNT)) + QStringLiteral("  ,OCNT= ") + displayNumber(double(OCNT));
}

}  // namespace h7
