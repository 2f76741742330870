// Adapters of the window's own controls.
#include "ui/controls.h"

#include <QApplication>
#include <QPalette>

#include "platform/failure.h"
#include "platform/qt/qt_text.h"
#include "platform/text.h"

namespace brintova {

namespace {
constexpr std::int32_t kFailureInvalidPropertyValue = 380;
}  // namespace

QColor ColourOf(std::uint32_t colour) {
  if ((colour & 0x80000000u) == 0) {
    return QColor(static_cast<int>(colour & 0xFF), static_cast<int>((colour >> 8) & 0xFF),
                  static_cast<int>((colour >> 16) & 0xFF));
  }
  const QPalette palette = QApplication::palette();
  switch (colour & 0xFFu) {
    case 4:
      return palette.color(QPalette::Window);  // menu
    case 5:
      return palette.color(QPalette::Base);  // window background
    case 8:
      return palette.color(QPalette::Text);  // window text
    case 13:
      return palette.color(QPalette::Highlight);
    case 14:
      return palette.color(QPalette::HighlightedText);
    case 15:
      return palette.color(QPalette::Button);  // button face
    case 18:
      return palette.color(QPalette::ButtonText);
    default:
      throw Failure(u"Unknown system colour " + DecimalText(colour & 0xFFu),
                    kFailureInvalidPropertyValue);
  }
}

void SetBackground(QWidget& widget, const QColor& colour) {
  // Buttons (option buttons among them) fill their background with the button colour, other
  // widgets with the window colour.
  QPalette palette = widget.palette();
  palette.setColor(QPalette::Window, colour);
  palette.setColor(widget.backgroundRole(), colour);
  widget.setPalette(palette);
  widget.setAutoFillBackground(true);
}

void QtComboBox::AddItem(std::u16string_view text) {
  // Qt selects the first entry added to an empty list by itself; the drop-down keeps no
  // selection until one is made, so that a run never performs an operation nobody chose.
  const int selected = box_->currentIndex();
  box_->addItem(ToQString(text));
  if (selected == -1 && box_->currentIndex() != -1) box_->setCurrentIndex(-1);
}

std::u16string QtComboBox::List(std::int32_t index) {
  if (index < 0 || index >= box_->count()) {
    throw Failure(u"The drop-down has no entry " + DecimalText(index), 381);
  }
  return ToU16(box_->itemText(index));
}

void QtComboBox::SetListIndex(std::int32_t index) {
  if (index < -1 || index >= box_->count()) {
    throw Failure(u"The drop-down has no entry " + DecimalText(index),
                  kFailureInvalidPropertyValue);
  }
  box_->setCurrentIndex(index);
  if (*click_) (*click_)();
}

void QtProgressBar::SetValue(std::int32_t value) {
  if (value < bar_->minimum() || value > bar_->maximum()) {
    throw Failure(u"Progress " + DecimalText(value) + u" lies outside 0 to 100",
                  kFailureInvalidPropertyValue);
  }
  bar_->setValue(value);
}

void WidgetControl::SetBackColor(std::uint32_t colour) {
  if (!widget_) throw Failure(u"The control " + name_ + u" has no back colour", 438);
  SetBackground(*widget_, ColourOf(colour));
}

}  // namespace brintova
