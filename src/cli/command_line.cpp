// Operation names and the manual page of brintova-cli.
#include "cli/command_line.h"

namespace brintova::cli {

std::optional<std::int32_t> ParseOperation(std::string_view text) {
  for (std::size_t i = 0; i < kOperationNames.size(); ++i) {
    if (text == kOperationNames[i]) return static_cast<std::int32_t>(i);
  }
  if (text.empty() || text.size() > 2) return std::nullopt;
  std::int32_t value = 0;
  for (const char c : text) {
    if (c < '0' || c > '9') return std::nullopt;
    value = value * 10 + (c - '0');
  }
  if (text.size() == 2 && text[0] == '0') return std::nullopt;  // "07" is no index
  if (value > 10) return std::nullopt;
  return value;
}

std::string ManualText(std::string_view version) {
  std::string text = "BRINTOVA-CLI(1)                                            brintova-cli ";
  text += version;
  text += R"manual(

NAME
    brintova-cli - extract selected characters from every cell of many workbooks

SYNOPSIS
    brintova-cli run --operation OP [--param TEXT] [--mode sheet|workbook] --output DIR
                     [--overwrite] [--jobs N] FILE|FOLDER...
    brintova-cli text FILE
    brintova-cli --help | --version

DESCRIPTION
    run  Runs "Start Extracting" of the desktop program on every listed workbook, without a
         window, and saves each result into DIR. Each workbook is opened in a fresh instance of
         the embedded spreadsheet engine, the operation is applied to the displayed text of
         every cell of every worksheet, and the instance the run leaves visible is saved.

         In sheet mode (the default) the results go into a new sheet in front of the source's
         sheets and the whole workbook is saved. In workbook mode they go into the first sheet
         of a new workbook, which is saved instead. A result is named after its source, with
         the extension of the saved kind: .xlsx, or .xlsm, .xltx or .xltm to keep a source of
         that kind (a .xlt template gives .xltx; workbook mode always gives .xlsx). An .xls,
         .xlsb or .ods source gives .xlsx: those formats are read, never written, and the run
         says so for each such source. Sources with the same name get " (2)", " (3)", ...
         before the extension, decided in list order. A source file is never written.

         A FOLDER is walked like a folder dropped on the desktop program's list: its files,
         then those of its subfolders level by level; names beginning with "~" and hidden
         folders are left out. FILEs are taken in the order given.

    text Prints the displayed text of every non-empty cell of every worksheet of FILE, one
         line each: sheet name, a tab, the cell's address (A1), a tab, the text. A backslash,
         tab, CR and LF in a name or text are written as \\, \t, \r and \n.

OPTIONS
    --operation OP   The operation, by index or name:
                       0 alphabet          letters only
                       1 numbers           digits only
                       2 alphanumeric      letters and digits only
                       3 non-alphanumeric  everything but letters and digits
                       4 user-defined      only the characters of TEXT
                       5 after-text        what follows the first TEXT
                       6 before-text       what precedes the first TEXT
                       7 first-chars       the first N characters
                       8 last-chars        the last N characters
                       9 after-position    what follows position N
                      10 before-position   what precedes position N
    --param TEXT     The answer to the operation's question, given for every workbook as if
                     typed (needed by operations 4 to 10). An empty TEXT skips the operation;
                     for 7 to 10 a text that does not begin with a positive number skips it,
                     and the number is rounded to a whole one ("2.5" gives 2, "3.5" gives 4).
    --mode MODE      sheet (default): results in a new sheet of the source workbook;
                     workbook: results in a new workbook.
    --output DIR     Where the results are saved; created when missing.
    --overwrite      Replace results that exist already. Without it an existing result is an
                     error and nothing is run.
    --jobs N         Workbooks processed at once (default: the number of cores). The results
                     are the same, file for file, whatever N is.
    --help           This page.
    --version        The version.

EXAMPLES
    brintova-cli run --operation alphabet --output out book.xlsx
    brintova-cli run --operation numbers --output out invoices/
    brintova-cli run --operation alphanumeric --mode workbook --output out a.xlsx b.xls
    brintova-cli run --operation non-alphanumeric --output out data.csv
    brintova-cli run --operation user-defined --param 'aeiou' --output out book.xlsx
    brintova-cli run --operation after-text --param '@' --output out contacts.xlsx
    brintova-cli run --operation before-text --param ' - ' --output out items.xlsx
    brintova-cli run --operation first-chars --param 3 --output out codes.xlsx
    brintova-cli run --operation last-chars --param 4 --jobs 2 --output out cards/
    brintova-cli run --operation after-position --param 2 --output out ids.xlsx
    brintova-cli run --operation before-position --param 6 --overwrite --output out ids.xlsx
    brintova-cli text out/book.xlsx

STANDARD ERROR
    Each failure is printed as the desktop program's "Application Error" box words it (the
    failure, the handler and line, the request to send it to support), under a line naming
    the workbook; the box's CR LF and CR line breaks are printed as line feeds. While standard
    error is a terminal a progress line shows the workbooks done and the cells per second (the
    cells of the saved results). At the end one line sums up: workbooks processed, failed,
    results saved.

EXIT STATUS
    0  every workbook was processed and its result saved
    1  a failure was reported: a workbook or folder that could not be read, processed or
       saved, or a result that exists already without --overwrite
    2  usage error (unknown operation or mode, missing --param, no files, folders holding
       no files, a DIR that cannot be created or written, ...); no workbook was read and
       nothing was written
)manual";
  return text;
}

}  // namespace brintova::cli
