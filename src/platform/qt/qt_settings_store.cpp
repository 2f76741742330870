// QSettings in INI format behind the settings port, with its status turned into failures.
#include "platform/qt/qt_settings_store.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>
#include <QStringList>

#include "platform/failure.h"
#include "platform/qt/qt_text.h"

namespace brintova {

namespace {

QString SettingsKey(std::u16string_view section, std::u16string_view key) {
  return ToQString(section) + u'/' + ToQString(key);
}

std::u16string Quoted(const QString& path) {
  return u"\"" + ToU16(QDir::toNativeSeparators(path)) + u"\"";
}

void CheckStatus(const QSettings& settings, const QString& path, bool writing) {
  switch (settings.status()) {
    case QSettings::NoError:
      return;
    case QSettings::AccessError:
      throw Failure(u"The settings file " + Quoted(path) +
                    (writing ? u" cannot be written; check that its folder is writable"
                             : u" cannot be read; check that it is a readable file"));
    case QSettings::FormatError:
      throw Failure(u"The settings file " + Quoted(path) +
                    u" is not a valid settings file; correct or delete it");
  }
}

}  // namespace

QString SettingsFilePath(std::u16string_view application) {
  QString folder = qEnvironmentVariable("XDG_CONFIG_HOME");
  if (folder.isEmpty() || QDir::isRelativePath(folder)) folder = QDir::homePath() + "/.config";
  return folder + u'/' + ToQString(application) + ".ini";
}

std::u16string QtSettingsStore::GetSetting(std::u16string_view application,
                                           std::u16string_view section, std::u16string_view key,
                                           std::u16string_view default_value) {
  const QString path = SettingsFilePath(application);
  const QFileInfo info(path);
  if (info.exists() && (!info.isFile() || !info.isReadable())) {
    throw Failure(u"The settings file " + Quoted(path) +
                  u" cannot be read; check that it is a readable file");
  }
  const QSettings settings(path, QSettings::IniFormat);
  CheckStatus(settings, path, false);
  const QVariant value = settings.value(SettingsKey(section, key));
  if (!value.isValid()) return std::u16string(default_value);
  // A value holding unquoted commas reads back as a list; keep it as the text it was.
  if (value.typeId() == QMetaType::QStringList) return ToU16(value.toStringList().join(u','));
  return ToU16(value.toString());
}

void QtSettingsStore::SaveSetting(std::u16string_view application, std::u16string_view section,
                                  std::u16string_view key, std::u16string_view value) {
  const QString path = SettingsFilePath(application);
  QSettings settings(path, QSettings::IniFormat);
  settings.setValue(SettingsKey(section, key), ToQString(value));
  settings.sync();
  CheckStatus(settings, path, true);
}

}  // namespace brintova
