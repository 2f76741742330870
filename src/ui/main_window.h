// Form1, the main window: every control at its place in twips, the pointer states, and the
// events its handlers are wired to. The window implements the Form port for those handlers.
#pragma once

#include <QCursor>
#include <QGroupBox>
#include <QPushButton>
#include <QWidget>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "platform/window.h"
#include "ui/controls.h"
#include "ui/file_dialog.h"
#include "ui/file_list_view.h"
#include "ui/skin_engine.h"
#include "wiring/window_events.h"

namespace brintova {

// Design-time size of the client area, in twips.
inline constexpr std::int32_t kFormClientWidth = 8040;
inline constexpr std::int32_t kFormClientHeight = 5610;

class MainWindow : public QWidget, public Form {
  Q_OBJECT

 public:
  explicit MainWindow(QWidget* parent = nullptr);
  ~MainWindow() override;

  MainWindowEvents& events() { return events_; }
  // Shows what a handler let escape (a box by default); the desktop routes it to the dialogs
  // port, so that tests can answer it.
  void SetEscapeReport(std::function<void(std::u16string_view text)> report) {
    escape_report_ = std::move(report);
  }
  // True once the window was closed as the program's last window: the program is ending.
  bool ending() const { return ending_; }
  double dots_per_inch_x() const { return dpi_x_; }
  double dots_per_inch_y() const { return dpi_y_; }

  // The Qt widgets, for the wiring and for tests.
  FileListView& list_view1() { return *list_view1_; }
  QGroupBox& frame1() { return *frame1_; }
  QGroupBox& frame2() { return *frame2_; }
  QComboBox& combo1() { return *combo1_; }
  QRadioButton& option1() { return *option1_; }
  QRadioButton& option2() { return *option2_; }
  QProgressBar& progress_bar1() { return *progress_bar1_; }
  QPushButton& push_button(int number);  // 1, 2, 3, 6 or 7
  QtSkinEngine& skin_engine() { return skin_; }

  // Form.
  std::int32_t Width() override;
  std::int32_t Height() override;
  void SetLeft(std::int32_t twips) override;
  void SetTop(std::int32_t twips) override;
  std::int32_t ScreenWidth() override;
  std::int32_t ScreenHeight() override;
  void SetCaption(std::u16string_view caption) override;
  void SetApplicationIcon() override;
  void SetBackColor(std::uint32_t colour) override;
  std::int64_t WindowHandle() override;
  std::int32_t MousePointer() override { return pointer_state_; }
  // Throws Failure for a state other than 0 to 15 and 99.
  void SetMousePointer(std::int32_t state) override;
  void LoadMouseIcon(std::u16string_view path) override;
  void DoEvents() override;
  std::vector<Control*> Controls() override;
  ListView& ListView1() override { return *list_view1_; }
  ComboBox& Combo1() override { return combo_port_; }
  OptionButton& Option1() override { return option1_port_; }
  OptionButton& Option2() override { return option2_port_; }
  ProgressBar& ProgressBar1() override { return progress_port_; }
  FileDialog& CommonDialog1() override { return file_dialog_; }
  SkinEngine& SkinFramework1() override { return skin_; }

 protected:
  void mouseMoveEvent(QMouseEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  void showEvent(QShowEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void Place(QWidget& widget, std::int32_t left, std::int32_t top, std::int32_t width,
             std::int32_t height);
  QPushButton* AddPushButton(const char* name, const QString& caption, std::int32_t left,
                             std::int32_t top, std::int32_t width);
  // Runs an event handler from the event loop, showing any failure it lets escape.
  void Raise(const std::function<void()>& handler);
  template <typename... Args, typename Handler>
  void RaiseWith(const Handler& handler, Args&&... args) {
    if (handler) Raise([&] { handler(std::forward<Args>(args)...); });
  }

  double dpi_x_ = 96.0, dpi_y_ = 96.0;
  MainWindowEvents events_;

  FileListView* list_view1_ = nullptr;
  QGroupBox* frame2_ = nullptr;
  QComboBox* combo1_ = nullptr;
  QGroupBox* frame1_ = nullptr;
  QRadioButton* option2_ = nullptr;
  QRadioButton* option1_ = nullptr;
  QProgressBar* progress_bar1_ = nullptr;
  QPushButton* push_button3_ = nullptr;
  QPushButton* push_button6_ = nullptr;
  QPushButton* push_button7_ = nullptr;
  QPushButton* push_button1_ = nullptr;
  QPushButton* push_button2_ = nullptr;

  QtComboBox combo_port_;
  QtOptionButton option1_port_;
  QtOptionButton option2_port_;
  QtProgressBar progress_port_;
  QtFileDialog file_dialog_;
  QtSkinEngine skin_;
  std::vector<std::unique_ptr<WidgetControl>> controls_;

  std::function<void(std::u16string_view text)> escape_report_;
  std::int32_t pointer_state_ = kPointerDefault;
  bool ending_ = false;
  std::optional<QCursor> custom_cursor_;
};

// The icon the window shows once start-up has set it.
QIcon ApplicationIcon();

}  // namespace brintova
