// The standard failure report of the main window's guarded handlers, and GuardedHandler, which
// runs a handler's numbered steps so that a failing step is reported with its line number and
// the handler goes on with the next step.
#pragma once

#include <cstdint>
#include <exception>
#include <string>
#include <string_view>
#include <utility>

#include "platform/dialogs.h"
#include "platform/failure.h"

namespace brintova {

inline constexpr std::u16string_view kSupportAddress = u"support@korvane.example";

// The message of the "Application Error" box: the description, CR LF, the location tag,
// "at line ", the line, CR CR, and the request to e-mail a screenshot.
std::u16string HandlerErrorMessage(std::u16string_view description,
                                   std::u16string_view location_tag, std::int32_t line);

// Shows the "Application Error" box (OK only, exclamation icon) and returns when dismissed.
void ReportHandlerError(Dialogs& dialogs, std::u16string_view description,
                        std::u16string_view location_tag, std::int32_t line);

// Location tags of the guarded handlers.
inline constexpr std::u16string_view kFormLoadTag = u"in Brintova2/19/2015.Form1.Form_Load ";
inline constexpr std::u16string_view kPushButton1Tag =
    u"in Brintova2/19/2015.Form1.PushButton1_Click ";
inline constexpr std::u16string_view kPushButton2Tag =
    u"in Brintova2/19/2015.Form1.PushButton2_Click ";
inline constexpr std::u16string_view kPushButton3Tag =
    u"in Brintova2/19/2015.Form1.PushButton3_Click ";
inline constexpr std::u16string_view kPushButton6Tag =
    u"in Brintova2/19/2015.Form1.PushButton6_Click ";
inline constexpr std::u16string_view kPushButton7Tag =
    u"in Brintova2/19/2015.Form1.PushButton7_Click ";

// One invocation of a guarded handler. Write the handler as its numbered steps:
//
//   GuardedHandler guard(dialogs, kFormLoadTag);
//   guard.Step(100, [&] { CenterForm(form); });
//   if (guard.Test(104, [&] { return FileExists(files, cursor); }))
//     guard.Step(106, [&] { form.LoadMouseIcon(cursor); });
//
// A step that throws is reported with its line and abandoned, together with the rest of any
// procedure it called; the handler goes on with its next statement (inside a loop body, the
// next step of the pass, or the next pass). A test that throws is reported and counts as true,
// so its branch runs. Each step is one statement: two statements that share a line number are
// two Step calls with the same number.
class GuardedHandler {
 public:
  GuardedHandler(Dialogs& dialogs, std::u16string_view location_tag)
      : dialogs_(&dialogs), location_tag_(location_tag) {}

  // Runs `body` as the step numbered `line`. Returns false when it failed (and was reported).
  template <typename Body>
  bool Step(std::int32_t line, Body&& body) {
    current_line_ = line;
    try {
      std::forward<Body>(body)();
      return true;
    } catch (const Failure& failure) {
      Report(failure.description());
    } catch (const std::exception& other) {
      ReportUtf8(other.what());
    }
    return false;
  }

  // Evaluates the condition of the step numbered `line`; a failing evaluation is reported and
  // answers true.
  template <typename Condition>
  bool Test(std::int32_t line, Condition&& condition) {
    bool result = true;
    Step(line, [&] { result = static_cast<bool>(std::forward<Condition>(condition)()); });
    return result;
  }

  // Evaluates `body` at `line` and returns its value, or `fallback` after reporting a failure.
  template <typename T, typename Body>
  T Value(std::int32_t line, T fallback, Body&& body) {
    T result = std::move(fallback);
    Step(line, [&] { result = std::forward<Body>(body)(); });
    return result;
  }

  std::int32_t current_line() const { return current_line_; }
  std::u16string_view location_tag() const { return location_tag_; }

 private:
  void Report(std::u16string_view description);
  void ReportUtf8(const char* description);

  Dialogs* dialogs_;
  std::u16string_view location_tag_;
  std::int32_t current_line_ = 0;
};

}  // namespace brintova
