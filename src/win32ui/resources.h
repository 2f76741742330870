/* Resource identifiers of the Windows program, shared by its resource script and its code
   (the resource compiler reads only preprocessor definitions). */
#pragma once

#define BRINTOVA_APPLICATION_ICON 1

#ifdef __cplusplus
namespace brintova::win32ui {
inline constexpr int kApplicationIconId = BRINTOVA_APPLICATION_ICON;
}  // namespace brintova::win32ui
#endif
