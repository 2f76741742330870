// Operation names and the manual page of brintova-cli.
#include "cli/command_line.h"

#include "app/vb_conversions.h"
#include "platform/failure.h"
#include "platform/text.h"

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

std::optional<std::string> ParameterRefusal(std::int32_t operation, std::string_view parameter) {
  if (!OperationTakesParameter(operation)) return std::nullopt;
  const std::string name(kOperationNames[static_cast<std::size_t>(operation)]);
  if (operation <= 6) {
    if (!parameter.empty()) return std::nullopt;
    return "operation " + name +
           " expects a text with --param; an empty text would leave every workbook unchanged";
  }
  const std::u16string text = ToUtf16(parameter);
  bool whole = false;
  try {
    whole = LeadingNumber(text) > 0 && ConvertToInt16(text) >= 1;
  } catch (const Failure&) {
    whole = false;  // not one number, or past 32767
  }
  if (whole) return std::nullopt;
  const char* what = operation <= 8 ? "a number of characters" : "a character position";
  return "operation " + name + " expects " + what +
         " from 1 to 32767 with --param (such as --param 3; a decimal is rounded), not '" +
         std::string(parameter) + "'";
}

std::string ManualText(std::string_view version) {
  std::string text = "BRINTOVA-CLI(1)                                            brintova-cli ";
  text += version;
  text += R"manual(

NAME
    brintova-cli - extract selected characters from every cell of many workbooks

SYNOPSIS
    brintova-cli run --operation OP [--param TEXT] [--mode sheet|workbook] --output DIR
                     [--overwrite] [--jobs N] [--layout one-sheet|per-sheet]
                     [OPERATION OPTIONS] FILE|FOLDER...
    brintova-cli run --operation OP [--param TEXT] [--mode sheet|workbook]
                     --format jsonl|csv [OPERATION OPTIONS] FILE|FOLDER...
    brintova-cli preview --operation OP [--param TEXT] [--mode sheet|workbook] [--cells N]
                     [OPERATION OPTIONS] FILE|FOLDER...
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

         With --format jsonl or csv nothing is saved: one record per result goes to standard
         output instead (see --format), workbook after workbook in list order.

    preview
         Shows what a run would write, and writes nothing: for the first N cells with text of
         each workbook (--cells, default 20), the sheet, the cell, its displayed text and the
         result, or "(nothing written)" where the operation leaves the cell alone. On a
         terminal each workbook gets an aligned table under its path; otherwise the lines are
         tab-separated (file, sheet, cell, text, result, written: yes, no or failed) under a
         header line, escaped as "text" escapes them.

    text Prints the displayed text of every non-empty cell of every worksheet of FILE, one
         line each: sheet name, a tab, the cell's address (A1), a tab, the text. A backslash,
         tab, CR and LF in a name or text are written as \\, \t, \r and \n, half of a
         surrogate pair (a character cut in two) as \u and its code in hex (\uD83D), and
         every other control character as \xHH (ESC as \x1b), here and in every message.

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
                       9 after-position    from position N to the end (position N
                                           included)
                      10 before-position   the first N characters (position N
                                           included)
    --param TEXT     The answer to the operation's question, given for every workbook as if
                     typed (needed by operations 4 to 10): a text that is not empty for 4 to 6,
                     a number for 7 to 10, rounded to a whole one ("2.5" gives 2, "3.5" gives
                     4) that must lie from 1 to 32767. Anything else is a usage error.
                     Operations 7 and 8 leave a text of N characters or fewer alone; 9 and 10
                     write a text of exactly N characters in sheet mode but not in workbook
                     mode.
    --mode MODE      sheet (default): results in a new sheet of the source workbook;
                     workbook: results in a new workbook.
    --output DIR     Where the results are saved; created when missing.
    --overwrite      Replace results that exist already. Without it an existing result is an
                     error and nothing is run.
    --jobs N         Workbooks processed at once (default: the number of cores). The results
                     are the same, file for file, whatever N is.
    --layout LAYOUT  one-sheet (default): the results of every worksheet in one sheet, so a
                     later worksheet's result replaces an earlier one's at the same address;
                     per-sheet: a result sheet for each worksheet, named after it ("Orders
                     results"; shortened to fit 31 characters, " (2)" when the name is taken),
                     in front of the source's sheets or, in workbook mode, in the new workbook.
    --format FORMAT  workbook (default): save results as above. jsonl: one JSON object per
                     line, {"file", "sheet", "cell", "text", "result"}, UTF-8. csv: the same
                     five fields with a header line (RFC 4180, CR LF, no byte order mark). Only
                     cells the operation writes give a record; --output, --overwrite, --layout
                     and --jobs do not apply.
    --cells N        preview: the cells with text shown per workbook (default 20).
    --help           This page.

OPERATION OPTIONS
    --occurrence N   after-text, before-text, between: which occurrence of the marker counts.
                     1 (default) the first, 2 the second, ...; -1 the last, -2 the one before
                     it, counting from the end. Occurrences do not overlap. A text with fewer
                     occurrences gets nothing written.
    --ignore-case    after-text, before-text, between, pattern: letters match whatever their
                     case, in every script, by Unicode simple case folding ("Ä" finds "ä",
                     "ẞ" finds "ß"; "ß" does not find "ss").
    --after TEXT --before TEXT
                     between: the text after the chosen occurrence of the --after marker and
                     before the first --before marker that follows it; nothing is written when
                     either is missing.
    --group N|NAME   pattern: write this numbered or named group of the match instead of the
                     whole match (0). A group that took no part in the match gives "".
    --all            pattern: every match, not only the first, joined by --join.
    --join SEP       pattern with --all: what goes between the matches (default ", ").
    --count UNIT     first-chars, last-chars, after-position, before-position: code-units
                     (default) counts UTF-16 code units, as the desktop program does;
                     characters counts what a reader sees as one character (a grapheme
                     cluster), so "👍🏽", "🇩🇪" and an "é" written as e and an accent are one each
                     and never cut in half.

    The pattern is a Perl-compatible regular expression (PCRE2) in Unicode mode: \d, \w and
    \b know every script, (?<name>...) names a group, (?i) ignores case. A cell whose match
    needs more than 1000000 steps (nested repeats such as (a+)+ on text that almost matches)
    fails with a message and is left unwritten; the run goes on with the next cell. An invalid
    pattern, an unknown group or an option that does not belong to the operation is a usage
    error.
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
    brintova-cli run --occurrence -1 --operation after-text --param '/' --output out paths.xlsx
    brintova-cli run --ignore-case --operation before-text --param 'straße' --output out a.xlsx
    brintova-cli run --operation between --after '[' --before ']' --output out orders.xlsx
    brintova-cli run --operation pattern --param '(?<year>\d{4})-\d\d' --group year \
                     --output out dates.xlsx
    brintova-cli run --operation pattern --param '[A-Z]-\d+' --all --join '; ' --output out a.xlsx
    brintova-cli run --count characters --operation first-chars --param 3 --output out a.xlsx
    brintova-cli run --layout per-sheet --operation numbers --output out book.xlsx
    brintova-cli run --format jsonl --operation numbers invoices/ | jq -r .result
    brintova-cli run --format csv --operation alphabet book.xlsx > results.csv
    brintova-cli preview --operation after-text --param '@' --cells 5 contacts.xlsx
    brintova-cli text out/book.xlsx

STANDARD ERROR
    Each failure is printed as the desktop program's "Application Error" box words it (the
    failure, the handler and line, the request to send it to support), under a line naming
    the workbook; the box's CR LF and CR line breaks are printed as line feeds. A workbook
    whose formula cells hold no stored result (files written by programs that do not
    calculate, such as openpyxl) gets a line saying how many were read as empty; its result
    is saved all the same. While standard error is a terminal a progress line shows the
    workbooks done and the cells per second (the cells of the saved results). At the end one
    line sums up: workbooks processed, failed, results saved.

EXIT STATUS
    0  every workbook was processed and its result saved
    1  a failure was reported: a workbook or folder that could not be read, processed or
       saved, a cell whose pattern gave up, or a result that exists already without
       --overwrite
    2  usage error (unknown operation or mode, a missing --param or one the operation
       cannot use, an option that does not belong to the operation, an invalid pattern, no
       files, folders holding no files, a DIR that cannot be created or written, ...); no
       workbook was read and nothing was written

ENVIRONMENT
    GLIBC_TUNABLES
        Where the kernel gives transparent huge pages to the programs that ask for them,
        brintova-cli starts itself once more with glibc.malloc.hugetlb=1 added to this
        variable, which saves a sixth of the time on large workbooks. Set
        glibc.malloc.hugetlb yourself (to 0, say) and it is left as it is.
)manual";
  return text;
}

}  // namespace brintova::cli
