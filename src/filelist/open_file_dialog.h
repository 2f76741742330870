// "Add Excel File(s)": one or several workbooks chosen in the open-file dialog (CommonDialog1).
#pragma once

#include <cstdint>
#include <string_view>

#include "platform/ports.h"

namespace brintova {

// OFN_READONLY | OFN_ALLOWMULTISELECT | OFN_EXPLORER | OFN_LONGNAMES.
inline constexpr std::int32_t kOpenFileDialogFlags = 2621953;
inline constexpr std::u16string_view kOpenFileDialogTitle =
    u"Add File(s) - Hold Ctrl to select multiple files";
inline constexpr std::u16string_view kOpenFileDialogFilter = u"Excel Files (*.xl*)|*.xl*";
inline constexpr std::u16string_view kTooManyFilesMessage =
    u"You've selected too many files to add.\r\rPlease try adding via the \"Add All\" button.";

// Guarded (lines 104 to 142). A result that does not fit the dialog's 260 characters answers
// with kTooManyFilesMessage and appends nothing.
void PushButton3_Click(Ports& ports);

}  // namespace brintova
