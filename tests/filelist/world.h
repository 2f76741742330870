// The ports of a file-list handler, all faked: the window, boxes, an in-memory folder tree,
// the shell and a spreadsheet server that is never used here.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "fakes/fake_dialogs.h"
#include "fakes/fake_file_queries.h"
#include "fakes/fake_server.h"
#include "fakes/fake_settings.h"
#include "fakes/fake_window.h"
#include "platform/ports.h"

namespace brintova::testing {

struct World {
  explicit World(char16_t separator = u'/') : files(separator) {}

  FakeForm form;
  ScriptedDialogs dialogs;
  MemorySettings settings;
  FakeFileQueries files;
  FakeShell shell;
  FakeServer server;
  Ports ports{form, dialogs, settings, files, shell, server};

  std::vector<std::u16string>& rows() { return form.list_view.rows; }

  // The lines of the "Application Error" boxes shown, in order, each with the box's text.
  struct ErrorBox {
    std::int32_t line;
    std::u16string text;
  };
  std::vector<ErrorBox> error_boxes() const {
    std::vector<ErrorBox> out;
    for (const ShownBox& box : dialogs.boxes) {
      if (box.title != u"Application Error") continue;
      const std::size_t at = box.text.find(u"at line ");
      std::int32_t line = 0;
      for (std::size_t i = at + 8; at != std::u16string::npos && i < box.text.size() &&
                                   box.text[i] >= u'0' && box.text[i] <= u'9';
           ++i) {
        line = line * 10 + (box.text[i] - u'0');
      }
      out.push_back({line, box.text});
    }
    return out;
  }
};

}  // namespace brintova::testing
