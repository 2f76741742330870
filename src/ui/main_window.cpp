// The main window: layout from the design-time table in twips, pointer states, events.
#include "ui/main_window.h"

#include <QApplication>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPainter>
#include <QProxyStyle>
#include <QScreen>
#include <QShowEvent>
#include <QStyleFactory>
#include <QStyleOptionGroupBox>
#include <exception>
#include <new>

#include "platform/failure.h"
#include "platform/qt/qt_dialogs.h"
#include "platform/qt/qt_text.h"
#include "platform/text.h"
#include "ui/cursor_file.h"
#include "ui/twips.h"

namespace brintova {

namespace {

constexpr std::int32_t kFailureInvalidPropertyValue = 380;

QFont WindowFont() {
  QFont font(QStringLiteral("Arial"));
  font.setPointSizeF(9);
  font.setWeight(QFont::Bold);
  return font;
}

QFont PushButtonFont() {
  QFont font(QStringLiteral("Arial"));
  font.setPointSizeF(11.25);
  font.setWeight(QFont::Bold);
  return font;
}

// Mouse moves over a control reach its own handler only, never its container's.
void TrackMouse(QWidget& widget) {
  widget.setMouseTracking(true);
  widget.setAttribute(Qt::WA_NoMousePropagation);
}

Qt::CursorShape ShapeOf(std::int32_t state) {
  switch (state) {
    case 2:
      return Qt::CrossCursor;
    case 3:
      return Qt::IBeamCursor;
    case 5:
    case 15:
      return Qt::SizeAllCursor;
    case 6:
      return Qt::SizeBDiagCursor;
    case 7:
      return Qt::SizeVerCursor;
    case 8:
      return Qt::SizeFDiagCursor;
    case 9:
      return Qt::SizeHorCursor;
    case 10:
      return Qt::UpArrowCursor;
    case 11:
      return Qt::WaitCursor;
    case 12:
      return Qt::ForbiddenCursor;
    case 13:
      return Qt::BusyCursor;
    case 14:
      return Qt::WhatsThisCursor;
    default:
      return Qt::ArrowCursor;
  }
}

// Frames drawn as a thin line with the caption set into the top edge, over the frame's own back
// colour. The stock group-box panel tints its inside, so the white option buttons would show as
// lighter patches on it, and its caption above the line leaves the drop-down touching the edge.
class FrameStyle : public QProxyStyle {
 public:
  FrameStyle() : QProxyStyle(QStyleFactory::create(QApplication::style()->name())) {}

  QRect subControlRect(ComplexControl control, const QStyleOptionComplex* option, SubControl sub,
                       const QWidget* widget) const override {
    QRect rect = QProxyStyle::subControlRect(control, option, sub, widget);
    if (control == CC_GroupBox && sub == SC_GroupBoxLabel) rect.translate(kCaptionIndent, 0);
    return rect;
  }

  void drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                     const QWidget* widget) const override {
    const auto* frame = qobject_cast<const QGroupBox*>(widget);
    if (element != PE_FrameGroupBox || frame == nullptr) {
      QProxyStyle::drawPrimitive(element, option, painter, widget);
      return;
    }
    QStyleOptionGroupBox box;
    box.initFrom(frame);
    box.text = frame->title();
    box.textAlignment = frame->alignment();
    box.subControls = SC_GroupBoxFrame | SC_GroupBoxLabel;
    const QRect label = subControlRect(CC_GroupBox, &box, SC_GroupBoxLabel, frame);
    const QRect edge = frame->rect().adjusted(0, label.center().y(), -1, -1);
    painter->save();
    painter->setPen(option->palette.color(QPalette::Mid));
    painter->drawLine(edge.topLeft(), QPoint(label.left() - 3, edge.top()));
    painter->drawLine(QPoint(label.right() + 3, edge.top()), edge.topRight());
    painter->drawLine(edge.topRight(), edge.bottomRight());
    painter->drawLine(edge.bottomRight(), edge.bottomLeft());
    painter->drawLine(edge.bottomLeft(), edge.topLeft());
    painter->restore();
  }

 private:
  static constexpr int kCaptionIndent = 6;
};

}  // namespace

QIcon ApplicationIcon() {
  // A small sheet with a highlighted column: the program's mark.
  QPixmap pixmap(32, 32);
  pixmap.fill(Qt::transparent);
  QPainter painter(&pixmap);
  painter.setPen(QColor(0x20, 0x60, 0x30));
  painter.setBrush(Qt::white);
  painter.drawRect(3, 2, 25, 27);
  painter.fillRect(4, 3, 24, 6, QColor(0x2e, 0x8b, 0x57));
  painter.fillRect(13, 9, 6, 20, QColor(0xff, 0xd7, 0x00));
  for (int y = 14; y < 29; y += 5) painter.drawLine(4, y, 27, y);
  for (int x = 12; x < 28; x += 7) painter.drawLine(x, 9, x, 28);
  painter.end();
  return QIcon(pixmap);
}

MainWindow::MainWindow(QWidget* parent)
    : QWidget(parent),
      list_view1_(new FileListView(this)),
      frame2_(new QGroupBox(QStringLiteral("Extract Options"), this)),
      combo1_(new QComboBox(frame2_)),
      frame1_(new QGroupBox(QStringLiteral("Output Options"), this)),
      option2_(new QRadioButton(QStringLiteral("Put results in new workbook"), frame1_)),
      option1_(new QRadioButton(QStringLiteral("Put results in new sheet"), frame1_)),
      progress_bar1_(new QProgressBar(this)),
      combo_port_(*combo1_, events_.combo1_click),
      option1_port_(*option1_),
      option2_port_(*option2_),
      progress_port_(*progress_bar1_),
      file_dialog_(this),
      skin_(this, reinterpret_cast<std::intptr_t>(this)) {
  setObjectName(QStringLiteral("Form1"));
  setWindowTitle(QStringLiteral("Form1"));
  if (const QScreen* s = screen()) {
    dpi_x_ = s->logicalDotsPerInchX();
    dpi_y_ = s->logicalDotsPerInchY();
  }
  list_view1_->SetDotsPerInch(dpi_x_);
  setFont(WindowFont());
  setFixedSize(TwipsToPixels(kFormClientWidth, dpi_x_), TwipsToPixels(kFormClientHeight, dpi_y_));
  setWindowFlag(Qt::WindowMaximizeButtonHint, false);
  SetBackground(*this, Qt::white);
  setMouseTracking(true);

  list_view1_->setObjectName(QStringLiteral("ListView1"));
  list_view1_->setFont(WindowFont());
  list_view1_->setToolTip(
      QStringLiteral("Drag and drop files here. Double-click item to remove it. Move bar to "
                     "right and out of window to reveal full names."));
  list_view1_->viewport()->setToolTip(list_view1_->toolTip());
  TrackMouse(*list_view1_);
  Place(*list_view1_, 120, 120, 7800, 1575);

  frame2_->setObjectName(QStringLiteral("Frame2"));
  // Each frame owns its style; the frame lets go of it when the style is deleted first.
  frame2_->setStyle(new FrameStyle);
  frame2_->style()->setParent(frame2_);
  Place(*frame2_, 120, 2775, 7800, 800);
  combo1_->setObjectName(QStringLiteral("Combo1"));
  combo1_->setEditable(false);
  Place(*combo1_, 240, 300, 7320, 345);

  frame1_->setObjectName(QStringLiteral("Frame1"));
  frame1_->setStyle(new FrameStyle);
  frame1_->style()->setParent(frame1_);
  Place(*frame1_, 120, 3660, 7800, 735);
  option2_->setObjectName(QStringLiteral("Option2"));
  Place(*option2_, 3000, 300, 3135, 255);
  option1_->setObjectName(QStringLiteral("Option1"));
  Place(*option1_, 240, 300, 2475, 255);
  option1_->setChecked(true);

  progress_bar1_->setObjectName(QStringLiteral("ProgressBar1"));
  progress_bar1_->setRange(0, 100);
  progress_bar1_->setValue(0);
  progress_bar1_->setTextVisible(false);
  Place(*progress_bar1_, 120, 5070, 7800, 405);

  push_button3_ =
      AddPushButton("PushButton3", QStringLiteral("Add Excel File(s)"), 120, 1790, 3840);
  push_button6_ = AddPushButton("PushButton6", QStringLiteral("Add All Excel File(s) In Folder"),
                                4080, 1790, 3840);
  push_button7_ = AddPushButton("PushButton7", QStringLiteral("Start Extracting"), 120, 4530, 7800);
  push_button1_ = AddPushButton("PushButton1", QStringLiteral("Clear List"), 120, 2300, 3840);
  push_button2_ =
      AddPushButton("PushButton2", QStringLiteral("Load Sample/Example Files"), 4080, 2300, 3840);

  for (QWidget* w : {static_cast<QWidget*>(frame1_), static_cast<QWidget*>(frame2_),
                     static_cast<QWidget*>(option1_), static_cast<QWidget*>(option2_)}) {
    SetBackground(*w, Qt::white);
  }
  for (QWidget* w : {static_cast<QWidget*>(frame1_), static_cast<QWidget*>(frame2_),
                     static_cast<QWidget*>(combo1_), static_cast<QWidget*>(option1_),
                     static_cast<QWidget*>(option2_), static_cast<QWidget*>(progress_bar1_)}) {
    TrackMouse(*w);
  }
  frame1_->installEventFilter(this);
  frame2_->installEventFilter(this);
  frame1_->setFocusPolicy(Qt::NoFocus);
  frame2_->setFocusPolicy(Qt::NoFocus);
  progress_bar1_->setFocusPolicy(Qt::NoFocus);

  // Tab order by tab index; the frames and the progress bar take no focus.
  const std::vector<QWidget*> chain = {list_view1_,   option1_,      option2_,
                                       push_button3_, push_button6_, push_button7_,
                                       combo1_,       push_button1_, push_button2_};
  for (std::size_t i = 0; i + 1 < chain.size(); ++i) setTabOrder(chain[i], chain[i + 1]);

  // Controls in creation order, as the skin step walks them.
  const auto add = [this](const char16_t* name, ControlKind kind, QWidget* widget) {
    controls_.push_back(std::make_unique<WidgetControl>(name, kind, widget));
  };
  add(u"ListView1", ControlKind::kListView, list_view1_);
  add(u"Frame2", ControlKind::kFrame, frame2_);
  add(u"Combo1", ControlKind::kComboBox, combo1_);
  add(u"CommonDialog1", ControlKind::kFileDialog, nullptr);
  add(u"Frame1", ControlKind::kFrame, frame1_);
  add(u"Option2", ControlKind::kOptionButton, option2_);
  add(u"Option1", ControlKind::kOptionButton, option1_);
  add(u"ProgressBar1", ControlKind::kProgressBar, progress_bar1_);
  add(u"PushButton3", ControlKind::kPushButton, push_button3_);
  add(u"PushButton6", ControlKind::kPushButton, push_button6_);
  add(u"PushButton7", ControlKind::kPushButton, push_button7_);
  add(u"PushButton1", ControlKind::kPushButton, push_button1_);
  add(u"PushButton2", ControlKind::kPushButton, push_button2_);
  add(u"SkinFramework1", ControlKind::kSkinEngine, nullptr);

  // Events.
  FileListEvents& list = list_view1_->events();
  list.dbl_click = [this] { RaiseWith(events_.list_view1_dbl_click); };
  list.key_down = [this](std::int32_t key) { RaiseWith(events_.list_view1_key_down, key); };
  list.mouse_move = [this] { RaiseWith(events_.list_view1_mouse_move); };
  list.ole_drag_over = [this](DataObject& data, std::int32_t& effect) {
    if (events_.list_view1_ole_drag_over) {
      Raise([&] { events_.list_view1_ole_drag_over(data, effect); });
    } else if (!data.GetFormat(kFormatFileList)) {
      effect = kDropEffectNone;
    }
  };
  list.ole_drag_drop = [this](DataObject& data) {
    RaiseWith(events_.list_view1_ole_drag_drop, data);
  };
  connect(push_button1_, &QPushButton::clicked, this,
          [this] { RaiseWith(events_.push_button1_click); });
  connect(push_button2_, &QPushButton::clicked, this,
          [this] { RaiseWith(events_.push_button2_click); });
  connect(push_button3_, &QPushButton::clicked, this,
          [this] { RaiseWith(events_.push_button3_click); });
  connect(push_button6_, &QPushButton::clicked, this,
          [this] { RaiseWith(events_.push_button6_click); });
  connect(push_button7_, &QPushButton::clicked, this,
          [this] { RaiseWith(events_.push_button7_click); });
  // A pick in the list raises the click even when the same entry is picked again.
  connect(combo1_, &QComboBox::activated, this, [this] { RaiseWith(events_.combo1_click); });
  // The drop-down takes no typed text, so this is raised only if that ever changes.
  connect(combo1_, &QComboBox::editTextChanged, this, [this] { RaiseWith(events_.combo1_change); });
}

MainWindow::~MainWindow() = default;

QPushButton* MainWindow::AddPushButton(const char* name, const QString& caption, std::int32_t left,
                                       std::int32_t top, std::int32_t width) {
  auto* button = new QPushButton(caption, this);
  button->setObjectName(QString::fromLatin1(name));
  button->setFont(PushButtonFont());
  TrackMouse(*button);
  button->installEventFilter(this);
  Place(*button, left, top, width, 405);
  return button;
}

void MainWindow::Place(QWidget& widget, std::int32_t left, std::int32_t top, std::int32_t width,
                       std::int32_t height) {
  widget.setGeometry(TwipsToPixels(left, dpi_x_), TwipsToPixels(top, dpi_y_),
                     TwipsToPixels(width, dpi_x_), TwipsToPixels(height, dpi_y_));
}

QPushButton& MainWindow::push_button(int number) {
  switch (number) {
    case 1:
      return *push_button1_;
    case 2:
      return *push_button2_;
    case 3:
      return *push_button3_;
    case 6:
      return *push_button6_;
    default:
      return *push_button7_;
  }
}

void MainWindow::Raise(const std::function<void()>& handler) {
  std::u16string text;
  try {
    handler();
    return;
  } catch (const ProgramEnding&) {
    return;  // the window was closed meanwhile; the event loop ends the program
  } catch (const Failure& failure) {
    text = failure.description();
  } catch (const std::bad_alloc&) {
    text =
        u"There is not enough memory to finish this. Close other programs or results and "
        u"try again.";
  } catch (const std::exception& other) {
    text = ToUtf16(other.what());
  } catch (...) {
    text = u"An unexpected error stopped this action.";
  }
  try {
    if (escape_report_) {
      escape_report_(text);
    } else {
      QMessageBox::warning(isVisible() ? this : nullptr, ToQString(kApplicationTitle),
                           BoxText(text));
    }
  } catch (...) {
    // Not even the box could be shown; the program goes on.
  }
}

std::int32_t MainWindow::Width() { return PixelsToTwips(frameGeometry().width(), dpi_x_); }
std::int32_t MainWindow::Height() { return PixelsToTwips(frameGeometry().height(), dpi_y_); }

void MainWindow::SetLeft(std::int32_t twips) { move(TwipsToPixels(twips, dpi_x_), pos().y()); }
void MainWindow::SetTop(std::int32_t twips) { move(pos().x(), TwipsToPixels(twips, dpi_y_)); }

std::int32_t MainWindow::ScreenWidth() {
  const QScreen* s = screen();
  if (s == nullptr) throw Failure(u"There is no screen to place the window on");
  return PixelsToTwips(s->geometry().width(), dpi_x_);
}

std::int32_t MainWindow::ScreenHeight() {
  const QScreen* s = screen();
  if (s == nullptr) throw Failure(u"There is no screen to place the window on");
  return PixelsToTwips(s->geometry().height(), dpi_y_);
}

void MainWindow::SetCaption(std::u16string_view caption) { setWindowTitle(ToQString(caption)); }
void MainWindow::SetApplicationIcon() { setWindowIcon(ApplicationIcon()); }
void MainWindow::SetBackColor(std::uint32_t colour) { SetBackground(*this, ColourOf(colour)); }

// Not a native window id: the skin engine only compares it with this window's own.
std::int64_t MainWindow::WindowHandle() { return reinterpret_cast<std::intptr_t>(this); }

void MainWindow::SetMousePointer(std::int32_t state) {
  if (!((state >= 0 && state <= 15) || state == kPointerCustom)) {
    throw Failure(u"Pointer state " + DecimalText(state) + u" does not exist",
                  kFailureInvalidPropertyValue);
  }
  // The window's own pointer, over it and the controls on it; the boxes and dialogs a handler
  // shows meanwhile are windows of their own and keep theirs.
  if (state == kPointerCustom) {
    setCursor(custom_cursor_ ? *custom_cursor_ : QCursor(Qt::ArrowCursor));
  } else {
    setCursor(ShapeOf(state));
  }
  pointer_state_ = state;
}

void MainWindow::LoadMouseIcon(std::u16string_view path) {
  custom_cursor_ = LoadCursorFile(PathToQt(path));
  if (pointer_state_ == kPointerCustom) setCursor(*custom_cursor_);
}

void MainWindow::DoEvents() {
  QCoreApplication::processEvents();
  if (ending_) throw ProgramEnding{};
}

std::vector<Control*> MainWindow::Controls() {
  std::vector<Control*> out;
  for (auto& control : controls_) out.push_back(control.get());
  return out;
}

void MainWindow::mouseMoveEvent(QMouseEvent* event) {
  RaiseWith(events_.form_mouse_move);
  QWidget::mouseMoveEvent(event);
}

void MainWindow::closeEvent(QCloseEvent* event) {
  RaiseWith(events_.form_unload);
  event->accept();
  // Closing the last window ends the program (the results window, while it shows results,
  // keeps it running). A handler that lets events run, such as a folder walk, then stops at
  // once instead of going on behind a closed window.
  bool other_window = false;
  for (const QWidget* widget : QApplication::topLevelWidgets()) {
    const Qt::WindowType type = widget->windowType();
    if (widget != this && widget->isVisible() && (type == Qt::Window || type == Qt::Dialog)) {
      other_window = true;
    }
  }
  ending_ = !other_window;
}

void MainWindow::showEvent(QShowEvent* event) {
  ending_ = false;
  QWidget::showEvent(event);
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::MouseMove) {
    if (watched == frame1_)
      RaiseWith(events_.frame1_mouse_move);
    else if (watched == frame2_)
      RaiseWith(events_.frame2_mouse_move);
    else if (watched == push_button1_)
      RaiseWith(events_.push_button1_mouse_move);
    else if (watched == push_button2_)
      RaiseWith(events_.push_button2_mouse_move);
    else if (watched == push_button3_)
      RaiseWith(events_.push_button3_mouse_move);
    else if (watched == push_button6_)
      RaiseWith(events_.push_button6_mouse_move);
    else if (watched == push_button7_)
      RaiseWith(events_.push_button7_mouse_move);
  }
  return QWidget::eventFilter(watched, event);
}

}  // namespace brintova
