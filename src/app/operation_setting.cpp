// Saving the chosen operation the moment it is picked, so an abrupt end still keeps it.
#include "app/operation_setting.h"

#include "platform/text.h"

namespace brintova {

namespace {
void SaveOperation(Ports& ports) {
  ports.settings.SaveSetting(kSettingsApplication, kSettingsSection, kOperationKey,
                             DecimalText(ports.form.Combo1().ListIndex()));
}
}  // namespace

void Combo1_Click(Ports& ports) { SaveOperation(ports); }
void Combo1_Change(Ports& ports) { SaveOperation(ports); }

}  // namespace brintova
