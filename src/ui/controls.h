// The window's own controls behind their ports: the drop-down, the option buttons, the
// progress bar, and any control as the skin step walks them. Colours are 0x00BBGGRR values or
// system colour references.
#pragma once

#include <QColor>
#include <QComboBox>
#include <QPointer>
#include <QProgressBar>
#include <QRadioButton>
#include <functional>

#include "platform/window.h"

namespace brintova {

// Throws Failure for a system colour it does not know.
QColor ColourOf(std::uint32_t colour);

// Gives `widget` a filled background of `colour`.
void SetBackground(QWidget& widget, const QColor& colour);

class QtComboBox : public ComboBox {
 public:
  QtComboBox(QComboBox& box, std::function<void()>& click) : box_(&box), click_(&click) {}
  // Appends an entry; the selection stays as it was (none, in an empty list).
  void AddItem(std::u16string_view text) override;
  std::int32_t ListCount() override { return box_->count(); }
  std::u16string List(std::int32_t index) override;
  std::int32_t ListIndex() override { return box_->currentIndex(); }
  // Raises the click event without catching what it throws: the caller is a handler.
  void SetListIndex(std::int32_t index) override;

 private:
  QComboBox* box_;
  std::function<void()>* click_;
};

class QtOptionButton : public OptionButton {
 public:
  explicit QtOptionButton(QRadioButton& button) : button_(&button) {}
  bool Value() override { return button_->isChecked(); }

 private:
  QRadioButton* button_;
};

class QtProgressBar : public ProgressBar {
 public:
  explicit QtProgressBar(QProgressBar& bar) : bar_(&bar) {}
  // Throws Failure outside 0..100.
  void SetValue(std::int32_t value) override;
  std::int32_t Value() override { return bar_->value(); }

 private:
  QProgressBar* bar_;
};

// A control by name and kind; `widget` is null for the ones not visible at run time, which
// have no back colour.
class WidgetControl : public Control {
 public:
  WidgetControl(std::u16string name, ControlKind kind, QWidget* widget)
      : name_(std::move(name)), kind_(kind), widget_(widget) {}
  std::u16string Name() override { return name_; }
  ControlKind Kind() override { return kind_; }
  void SetBackColor(std::uint32_t colour) override;

 private:
  std::u16string name_;
  ControlKind kind_;
  QPointer<QWidget> widget_;
};

}  // namespace brintova
