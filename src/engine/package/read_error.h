// How the package readers report what they cannot read: a description naming the part (and
// the cell where it applies). Inside a reader it travels as the exception ReadError; a reader's
// entry point catches it and hands it back as a ReadResult, so nothing is thrown past it.
#pragma once

#include <memory>
#include <string>

#include "engine/model/workbook.h"

namespace brintova::engine::package {

struct ReadError {
  std::string description;      // UTF-8, without the file path (the caller adds it)
  bool encrypted = false;       // the package is protected by a password
  bool not_a_workbook = false;  // the file is of another kind altogether
};

struct ReadResult {
  std::unique_ptr<model::Workbook> workbook;  // null when the file could not be read
  ReadError error;                            // why, when workbook is null
  bool ok() const { return workbook != nullptr; }
};

}  // namespace brintova::engine::package
