// Cursor files: the directory header is checked and the hot spot read here; the image itself is
// decoded by Qt's ico image reader.
#include "ui/cursor_file.h"

#include <QBuffer>
#include <QFile>
#include <QImageReader>
#include <QPixmap>

#include "platform/failure.h"
#include "platform/qt/qt_text.h"

namespace brintova {

namespace {

int Word(const QByteArray& bytes, int at) {
  return static_cast<unsigned char>(bytes[at]) | (static_cast<unsigned char>(bytes[at + 1]) << 8);
}

Failure NotACursor(const QString& path, const QString& why) {
  return Failure(u"\"" + ToU16(path) + u"\" is not a cursor file (" + ToU16(why) +
                 u"); replace it with a .cur file or remove it");
}

}  // namespace

QCursor LoadCursorFile(const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) {
    throw Failure(u"The cursor file \"" + ToU16(path) + u"\" cannot be read: " +
                  ToU16(file.errorString()));
  }
  const QByteArray bytes = file.readAll();
  // ICONDIR (reserved 0, type 1 icon or 2 cursor, count) and the first ICONDIRENTRY.
  if (bytes.size() < 22 || Word(bytes, 0) != 0 || (Word(bytes, 2) != 1 && Word(bytes, 2) != 2) ||
      Word(bytes, 4) == 0) {
    throw NotACursor(path, QStringLiteral("no cursor header"));
  }
  const bool cursor = Word(bytes, 2) == 2;
  QBuffer buffer;
  buffer.setData(bytes);
  buffer.open(QIODevice::ReadOnly);
  QImageReader reader(&buffer, cursor ? "cur" : "ico");
  const QImage image = reader.read();
  if (image.isNull()) throw NotACursor(path, reader.errorString());
  const int hot_x = cursor ? Word(bytes, 10) : image.width() / 2;
  const int hot_y = cursor ? Word(bytes, 12) : image.height() / 2;
  return QCursor(QPixmap::fromImage(image), qMin(hot_x, image.width() - 1),
                 qMin(hot_y, image.height() - 1));
}

}  // namespace brintova
