// The settings-file reader on arbitrary text: it reads what it can, keeps the
// built-in values for the rest, and never fails.
#include <string_view>

#include "fuzz_target.h"
#include "settings/conversion_settings.h"
#include "settings/settings_file.h"

TAVORIN_FUZZ_TARGET(FuzzSettings) {
    tavorin::ConversionSettings settings = tavorin::BuiltInSettings();
    tavorin::ReadSettingsText(std::string_view(reinterpret_cast<const char*>(data), size), settings);
    return 0;
}
