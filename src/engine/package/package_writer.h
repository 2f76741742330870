// Saving a workbook that was opened from an Office Open XML package: every part the run did
// not change is copied byte for byte; only the workbook part, its relationships, the content
// types, the styles part (when styles were added) and the new sheets' parts are written.
#pragma once

#include <string>

#include "engine/model/workbook.h"

namespace brintova::engine::package {

// The main part's content type for each kind of package a workbook can be saved as.
struct PackageKind {
  const char* extension;  // ".xlsx"
  const char* workbook_content_type;
  bool macro_enabled;
};

// Writes `book` into a new package at `native_target`, copying from the bytes of the package it
// was opened from (never the file again). A sheet inserted since opening becomes the active and
// only selected one. Throws Failure naming `shown_target` (the file the user chose) when a
// sheet of the source was changed or removed (only added sheets can be written into a copy),
// when the source holds macros and `kind` cannot carry them, or when writing fails.
void WritePackageFromSource(const model::Workbook& book, const PackageKind& kind,
                            const std::string& native_target, const std::string& shown_target);

// Writes `book` as a new package with its values and number formats. Throws Failure.
void WriteNewPackage(const model::Workbook& book, const PackageKind& kind,
                     const std::string& native_target, const std::string& shown_target);

}  // namespace brintova::engine::package
