// SkinFramework1: a skin is a Qt style sheet. Loading reads and validates it; applying sets it
// on the window whose handle is given.
#pragma once

#include <QPointer>
#include <QString>
#include <QWidget>

#include "platform/window.h"

namespace brintova {

class QtSkinEngine : public SkinEngine {
 public:
  QtSkinEngine(QWidget* window, std::int64_t window_handle)
      : window_(window), window_handle_(window_handle) {}

  // Throws Failure when the file cannot be read or is not a valid style sheet.
  void Method2(std::u16string_view skin_path, std::u16string_view section) override;
  std::int32_t Property1() override { return flags_; }
  void SetProperty1(std::int32_t value) override { flags_ = value; }
  void SetProperty5(bool value) override { property5_ = value; }
  void SetProperty10(bool value) override { property10_ = value; }
  // Throws Failure when no skin was loaded or the handle is not the main window's.
  void Method3(std::int64_t window_handle) override;

  const QString& style_sheet() const { return style_sheet_; }

 private:
  QPointer<QWidget> window_;
  std::int64_t window_handle_;
  QString style_sheet_;
  bool loaded_ = false;
  std::int32_t flags_ = 0;
  bool property5_ = false, property10_ = false;
};

// Whether Qt accepts `text` as a style sheet.
bool IsValidStyleSheet(const QString& text);

}  // namespace brintova
