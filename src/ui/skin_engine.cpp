// Style-sheet skins. Qt parses a style sheet only when a widget uses it and reports a parse
// failure as a warning, so validation applies the sheet to a scratch widget and listens for it.
#include "ui/skin_engine.h"

#include <QFile>

#include "platform/failure.h"
#include "platform/qt/qt_text.h"

namespace brintova {

namespace {

bool g_parse_failed = false;
QtMessageHandler g_previous_handler = nullptr;

void ListenForParseFailure(QtMsgType type, const QMessageLogContext& context,
                           const QString& message) {
  if (message.contains(QStringLiteral("Could not parse"))) {
    g_parse_failed = true;
    return;
  }
  if (g_previous_handler != nullptr) g_previous_handler(type, context, message);
}

}  // namespace

bool IsValidStyleSheet(const QString& text) {
  g_parse_failed = false;
  g_previous_handler = qInstallMessageHandler(ListenForParseFailure);
  {
    QWidget scratch;
    scratch.setStyleSheet(text);
    scratch.ensurePolished();
  }
  qInstallMessageHandler(g_previous_handler);
  g_previous_handler = nullptr;
  return !g_parse_failed;
}

void QtSkinEngine::Method2(std::u16string_view skin_path, std::u16string_view section) {
  (void)section;  // a style sheet has no sections
  const QString path = PathToQt(skin_path);
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) {
    throw Failure(u"The skin file \"" + std::u16string(skin_path) + u"\" cannot be read: " +
                  ToU16(file.errorString()));
  }
  const QString text = QString::fromUtf8(file.readAll());
  if (!IsValidStyleSheet(text)) {
    throw Failure(u"The skin file \"" + std::u16string(skin_path) +
                  u"\" is not a valid Qt style sheet; correct it or remove it");
  }
  style_sheet_ = text;
  loaded_ = true;
}

void QtSkinEngine::Method3(std::int64_t window_handle) {
  if (!loaded_) throw Failure(u"No skin is loaded to apply");
  if (window_handle != window_handle_ || !window_) {
    throw Failure(u"The skin can only be applied to the main window");
  }
  window_->setStyleSheet(style_sheet_);
}

}  // namespace brintova
