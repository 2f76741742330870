// Text conversions between the core's UTF-16 and Qt: QString is UTF-16 already; file paths go
// through their native bytes so that names that are not valid UTF-8 survive the round trip.
#pragma once

#include <QString>
#include <string>
#include <string_view>

namespace brintova {

inline QString ToQString(std::u16string_view text) {
  return QString(reinterpret_cast<const QChar*>(text.data()), static_cast<qsizetype>(text.size()));
}

inline std::u16string ToU16(const QString& text) {
  return std::u16string(reinterpret_cast<const char16_t*>(text.utf16()),
                        static_cast<std::size_t>(text.size()));
}

// A path as Qt gives it (decoded from the file system's bytes) to the core's path text.
std::u16string PathFromQt(const QString& path);
// A core path text to the QString Qt's file functions expect.
QString PathToQt(std::u16string_view path);

}  // namespace brintova
