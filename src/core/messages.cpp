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
  // A byte kept from a name that is no UTF-8 (a lone U+DC80 + byte) is shown as \xNN.
  const QString native = QDir::toNativeSeparators(path);
  QString shown;
  for (qsizetype i = 0; i < native.size(); ++i) {
    const char16_t c = native[i].unicode();
    if (c >= 0xDC80 && c <= 0xDCFF && (i == 0 || !native[i - 1].isHighSurrogate()))
      shown += QStringLiteral("\\x") + QString::number(c - 0xDC00, 16).toUpper();
    else
      shown += native[i];
  }
  return {failure.description + QStringLiteral(" (") + shown + u')'};
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

}  // namespace h7
