#include "platform/failure.h"

#include <utility>

#include "platform/text.h"

namespace brintova {

Failure::Failure(std::u16string description, std::int32_t number)
    : description_(std::move(description)), number_(number), utf8_(ToUtf8(description_)) {}

Failure::Failure(const std::string& description_utf8, std::int32_t number)
    : description_(ToUtf16(description_utf8)), number_(number), utf8_(ToUtf8(description_)) {}

}  // namespace brintova
