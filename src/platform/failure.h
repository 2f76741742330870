// The one failure type that crosses the ports and the core procedures: a description a person
// can act on, and a number where the caller tells failures apart (the file dialog's 20476).
#pragma once

#include <cstdint>
#include <exception>
#include <string>

namespace brintova {

class Failure : public std::exception {
 public:
  explicit Failure(std::u16string description, std::int32_t number = 0);
  // From UTF-8 text, for failures worded in source code.
  explicit Failure(const std::string& description_utf8, std::int32_t number = 0);

  const std::u16string& description() const noexcept { return description_; }
  std::int32_t number() const noexcept { return number_; }
  // The description as UTF-8.
  const char* what() const noexcept override { return utf8_.c_str(); }

 private:
  std::u16string description_;
  std::int32_t number_;
  std::string utf8_;
};

// Run-time failure numbers that callers look at.
inline constexpr std::int32_t kFailureOverflow = 6;
inline constexpr std::int32_t kFailureTypeMismatch = 13;
inline constexpr std::int32_t kFailureInvalidArgument = 5;
inline constexpr std::int32_t kFailureObjectNotSet = 91;
inline constexpr std::int32_t kFailureDialogBufferTooSmall = 20476;

}  // namespace brintova
