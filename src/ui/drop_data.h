// The data of a drag over or a drop on the file list, as the drop handlers read it: the
// desktop's list of files (format 15) when every dragged URL is a file of this machine.
#pragma once

#include <QMimeData>
#include <string>
#include <vector>

#include "platform/window.h"

namespace brintova {

inline constexpr std::int32_t kFormatText = 1;

class QtDropData : public DataObject {
 public:
  explicit QtDropData(const QMimeData* data);

  bool GetFormat(std::int32_t format) override;
  // Throw Failure when the data holds no file list, or the index is outside 1..FileCount().
  std::int32_t FileCount() override;
  std::u16string File(std::int32_t index) override;

 private:
  const QMimeData* data_;
  std::vector<std::u16string> files_;
  bool file_list_ = false;
};

// True for a "file:" URL without a host, or naming this machine ("localhost" or its own name).
bool IsLocalFileUrl(const QUrl& url);

// The local path of a file URL as path text, byte for byte (names that are not UTF-8 survive),
// without a trailing "/" except for the root.
std::u16string LocalPathOfUrl(const QUrl& url);

}  // namespace brintova
