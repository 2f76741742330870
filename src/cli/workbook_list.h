// The workbooks a command line names: FILEs as given, FOLDERs walked as a folder dropped on the
// window's list is.
#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace brintova::cli {

// Lists `inputs` in order. A missing or unreadable FILE is listed all the same (whoever opens
// it reports it); the walk's failures are written to `err` as the window's boxes word them and
// counted in `failures`.
std::vector<std::u16string> ListWorkbooks(const std::vector<std::string>& inputs, std::ostream& err,
                                          int& failures);

}  // namespace brintova::cli
