// QMimeData behind the drop handlers' data object.
#include "ui/drop_data.h"

#include <QSysInfo>
#include <QUrl>

#include "platform/failure.h"
#include "platform/text.h"

namespace brintova {

std::u16string LocalPathOfUrl(const QUrl& url) {
  QByteArray bytes = QByteArray::fromPercentEncoding(url.path(QUrl::FullyEncoded).toLatin1());
  while (bytes.size() > 1 && bytes.endsWith('/')) bytes.chop(1);
  return TextFromNativePath(std::string_view(bytes.constData(), bytes.size()));
}

bool IsLocalFileUrl(const QUrl& url) {
  if (!url.isLocalFile()) return false;
  // "file://server/share/a.xlsx" names a file on another machine; its path here would be
  // another file, or none.
  const QString host = url.host();
  return host.isEmpty() || host.compare(QStringLiteral("localhost"), Qt::CaseInsensitive) == 0 ||
         host.compare(QSysInfo::machineHostName(), Qt::CaseInsensitive) == 0;
}

QtDropData::QtDropData(const QMimeData* data) : data_(data) {
  if (data_ == nullptr || !data_->hasUrls()) return;
  const QList<QUrl> urls = data_->urls();
  for (const QUrl& url : urls) {
    if (!IsLocalFileUrl(url)) {
      files_.clear();
      return;
    }
    files_.push_back(LocalPathOfUrl(url));
  }
  file_list_ = !files_.empty();
}

bool QtDropData::GetFormat(std::int32_t format) {
  if (format == kFormatFileList) return file_list_;
  if (format == kFormatText) return data_ != nullptr && data_->hasText();
  return false;
}

std::int32_t QtDropData::FileCount() {
  if (!file_list_) throw Failure(u"The dragged data holds no list of files", 461);
  return static_cast<std::int32_t>(files_.size());
}

std::u16string QtDropData::File(std::int32_t index) {
  if (index < 1 || index > FileCount()) {
    throw Failure(u"There is no dropped file number " + DecimalText(index), 381);
  }
  return files_[static_cast<std::size_t>(index - 1)];
}

}  // namespace brintova
