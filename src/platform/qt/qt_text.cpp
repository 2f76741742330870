// Path conversions between the core's lossless path text and Qt's file names.
#include "platform/qt/qt_text.h"

#include <QFile>

#include "platform/text.h"

namespace brintova {

std::u16string PathFromQt(const QString& path) {
  const QByteArray bytes = QFile::encodeName(path);
  return TextFromNativePath(std::string_view(bytes.constData(), bytes.size()));
}

QString PathToQt(std::u16string_view path) {
  const std::string bytes = NativePathFromText(path);
  return QFile::decodeName(QByteArray(bytes.data(), static_cast<qsizetype>(bytes.size())));
}

}  // namespace brintova
